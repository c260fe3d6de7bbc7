// Load and unload of libkadrix_camera.so: the staging buffer of the trace log lives between the
// two, and each writes its banner.
#include "trace_log.h"

namespace kadrix::camera {
namespace {

constinit TraceBuffer traceBuffer{};
constinit unsigned char traceSwitch = 1;
constinit TraceModule trace(traceBuffer, traceSwitch);

constexpr const char* kStars =
    "[CMNT] *******************************************************************************";
constexpr const char* kLibraryName = "Kadrix.dll";

__attribute__((constructor)) void processAttach() {
    traceLogAttach();
    trace.line("");
    trace.line(kStars);
    trace.text("[CMNT]  ");
    trace.text(kLibraryName);
    trace.line(" Initialize");
    trace.line(kStars);
    trace.commit();
}

__attribute__((destructor)) void processDetach() {
    trace.line(kStars);
    trace.text("[CMNT]  ");
    trace.text(kLibraryName);
    trace.line(" Terminate");
    trace.line(kStars);
    trace.line("");
    trace.commit();
    traceLogDetach();
}

}  // namespace
}  // namespace kadrix::camera
