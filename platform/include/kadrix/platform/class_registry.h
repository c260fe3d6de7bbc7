// Creating automation objects by programmatic identifier ("Zudi.DataCtrl") or class identifier
// ("{8C3A...}"). A host registers its own classes in-process; other classes are found through
// the registry store: HKEY_CLASSES_ROOT\<ProgID>\CLSID names the class identifier, and
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 names the provider library (default value) and
// its factory entry (value "Factory", "KxCreateObject" when absent). A provider library stays
// loaded for the life of the process, since its objects may outlive any one holder.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "kadrix/platform/automation.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

using ObjectFactory = std::function<ObjectRef()>;

// Registered classes win over the registry store. Registering an identifier again replaces it.
KX_PLATFORM_API void registerClass(std::string_view id, ObjectFactory factory);
KX_PLATFORM_API void unregisterClass(std::string_view id);
KX_PLATFORM_API Result<ObjectRef> createObject(std::string_view progIdOrClassId);
// "{8c3a...}" or "8C3A..." -> "{8C3A...}"; text that is no identifier in braces stays as it is.
KX_PLATFORM_API std::string canonicalClassId(std::string_view classId);

}  // namespace kadrix::platform

extern "C" {
// The factory entry of a provider library: stores a new object of the class in *out and
// returns 0, or returns nonzero for a class it does not provide.
typedef int (*KxObjectFactoryEntry)(const char* classId, kadrix::platform::ObjectRef* out);
}
