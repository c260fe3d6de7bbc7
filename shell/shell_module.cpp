// The extension module: it registers itself in the host framework's list of extension modules
// for as long as it is loaded and has no other behaviour. Built twice; KADRIX_SHELL_VERSION
// (four numbers, file and product version alike) is the only thing that differs.
#include "kadrix/platform/framework_registry.h"

#ifndef KADRIX_SHELL_VERSION
#error "KADRIX_SHELL_VERSION must name the build's version, e.g. 7,0,0,1"
#endif

namespace {

// Expands the version into its four numbers before the record macro counts its arguments.
#define KADRIX_SHELL_RECORD(...) KX_MODULE_VERSION_RECORD(__VA_ARGS__)
KADRIX_SHELL_RECORD(KADRIX_SHELL_VERSION, KADRIX_SHELL_VERSION);

// Hosts look the module up by its historical file name.
const kadrix::platform::ExtensionModuleRegistration registration("Kadrix.dll",
                                                                 &kxModuleVersionNote);

}  // namespace
