// "ris_QueuePicker.dll": tells a plug-in which window shows the examination queue. The
// workstation publishes its queue window here; 0 means it has none.
#include <atomic>
#include <cstdint>

namespace {
std::atomic<intptr_t> queueWindow{0};
}

extern "C" __attribute__((visibility("default"))) intptr_t GetQueueHandle() { return queueWindow.load(); }
extern "C" __attribute__((visibility("default"))) void SetQueueHandle(intptr_t window) { queueWindow.store(window); }
