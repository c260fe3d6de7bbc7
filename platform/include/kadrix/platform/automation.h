// Automation objects: services reached late-bound, by operation name, the way the host's
// objects and the picture-archive server are. Names are looked up on every call without
// regard to case, so "OpenSql", "OpenSQL" and "OPenSQL" reach one operation. Lifetime is
// reference-counted (ObjectRef). A failed call raises AutomationError naming the object and
// the operation.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/variant.h"

namespace kadrix::platform {

class KX_PLATFORM_API AutomationError : public std::runtime_error {
public:
    AutomationError(std::string object, std::string operation, const std::string& message);
    const std::string& objectName() const { return object_; }
    const std::string& operation() const { return operation_; }
    // The message without the object and operation in front.
    const std::string& reason() const { return reason_; }

private:
    std::string object_, operation_, reason_;
};

enum class CallKind { Method, PropertyGet, PropertyPut };

class KX_PLATFORM_API AutomationObject : public std::enable_shared_from_this<AutomationObject> {
public:
    virtual ~AutomationObject();

    // The object's class name for messages ("Zudi.DataCtrl").
    virtual std::string className() const = 0;
    // A property put passes the new value as the last argument. By-reference arguments are
    // written back through their cells.
    virtual Variant invoke(std::string_view name, CallKind kind, std::vector<Variant>& args) = 0;

    Variant call(std::string_view method, std::vector<Variant> args = {});
    Variant get(std::string_view property, std::vector<Variant> index = {});
    void put(std::string_view property, std::vector<Variant> indexThenValue);
};

// Writing an automation object as a table of names to handlers:
//
//   class Common : public DispatchObject {
//   public:
//       Common() : DispatchObject("Zudi.Common") {
//           method("Prompt", 1, [this](Arguments& a) { prompt(a.text(0)); return Variant(); });
//           property("IniInfo", 2, getter, setter);
//       }
//   };
class KX_PLATFORM_API DispatchObject : public AutomationObject {
public:
    // The arguments of one call, following by-reference cells.
    class KX_PLATFORM_API Arguments {
    public:
        explicit Arguments(std::vector<Variant>& args) : args_(args) {}
        size_t size() const { return args_.size(); }
        const Variant& operator[](size_t i) const { return args_.at(i).deref(); }
        std::string text(size_t i) const { return (*this)[i].toText(); }
        int32_t integer(size_t i) const { return (*this)[i].toInt(); }
        // Writes an out argument; fails when the caller did not pass a reference there.
        void setOut(size_t i, Variant value);

    private:
        std::vector<Variant>& args_;
    };

    using Handler = std::function<Variant(Arguments&)>;
    using Setter = std::function<void(Arguments&, const Variant& value)>;

    explicit DispatchObject(std::string className);
    std::string className() const override { return className_; }
    Variant invoke(std::string_view name, CallKind kind, std::vector<Variant>& args) override;

protected:
    // `minArgs`..`maxArgs` arguments (maxArgs < 0: the same as minArgs).
    void method(std::string name, int minArgs, Handler handler, int maxArgs = -1);
    // A property read with `indexCount` index arguments; a null setter makes it read-only, a
    // null getter write-only.
    void property(std::string name, int indexCount, Handler getter, Setter setter = {});

private:
    struct Entry;
    const Entry* find(std::string_view name) const;

    std::string className_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

// Case-insensitive comparison of ASCII names.
KX_PLATFORM_API bool sameName(std::string_view a, std::string_view b);

}  // namespace kadrix::platform
