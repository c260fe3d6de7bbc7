// A provider library with one automation class, found by the class tests through the registry.
#include <cstring>

#include "kadrix/platform/automation.h"
#include "kadrix/platform/class_registry.h"

using namespace kadrix::platform;

namespace {
class Echo : public DispatchObject {
public:
    Echo() : DispatchObject("Kadrix.TestEcho") {
        method("Echo", 1, [](Arguments& a) { return Variant("echo: " + a.text(0)); });
    }
};
}  // namespace

extern "C" __attribute__((visibility("default"))) int KxTestFactory(const char* classId, ObjectRef* out) {
    if (std::strcmp(classId, "{0D5B5E7A-3C1F-4E8B-9A61-2B7C4F00A001}") != 0) return 1;
    *out = std::make_shared<Echo>();
    return 0;
}
