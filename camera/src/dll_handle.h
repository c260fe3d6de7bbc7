// The module handle the host published under SHARED_NAME_HANDLE.
#pragma once

#include "kadrix/camera/error.h"

namespace kadrix::camera {

// Reads the published handle into hModule (null when nobody published). ERR_UNEXPECTED when the
// block cannot be opened; hModule is then left as it was.
ERROR_T GetDllHandle(void*& hModule);

}  // namespace kadrix::camera
