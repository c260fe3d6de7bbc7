// Turning a module handle (a module's load address, see module_handle.h) back into the module's
// file name, as the system's module-file-name query does.
#pragma once

#include <string>

namespace kadrix::camera {

// The executable's handle; null if the loader reports no modules.
void* executableModuleHandle();

// Absolute file name of the module loaded at hModule (null: the executable). False when no
// module of this process is loaded there.
bool moduleFileName(void* hModule, std::string& fileName);

}  // namespace kadrix::camera
