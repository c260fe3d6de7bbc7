#include "dll_handle.h"

#include <cstring>
#include <stdexcept>

#include "kadrix/camera/module_handle.h"
#include "kadrix/camera/shared_memory.h"
#include "trace_log.h"

namespace kadrix::camera {
namespace {

constinit TraceBuffer traceBuffer{};
constinit unsigned char traceSwitch = 1;
constinit TraceModule trace(traceBuffer, traceSwitch);

// The lookup's own block: released when it goes out of scope.
class ScopedSharedMemory : public CSharedMemory {
  public:
    ~ScopedSharedMemory() override { FreeSharedMemory(); }
};

}  // namespace

ERROR_T GetDllHandle(void*& hModule) {
    const ERROR_T result = catching(trace, [&] {
        ScopedSharedMemory block;
        if (!block.MallocSharedMemory(MODULE_HANDLE_BYTES, SHARED_NAME_HANDLE, MUTEX_NAME_HANDLE))
            throw std::runtime_error("no view of the handle block");
        const int locked = block.LockSharedMemory();
        std::memcpy(&hModule, block.GetpSharedMemory(), sizeof hModule);
        if (locked)
            block.UnlockSharedMemory();
        return ERR_NONE;
    });
    trace.commit();
    return result;
}

}  // namespace kadrix::camera
