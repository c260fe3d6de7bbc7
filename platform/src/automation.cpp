#include "kadrix/platform/automation.h"

#include "kadrix/platform/text_codec.h"

namespace kadrix::platform {

bool sameName(std::string_view a, std::string_view b) { return a.size() == b.size() && asciiLower(a) == asciiLower(b); }

AutomationError::AutomationError(std::string object, std::string operation, const std::string& message)
    : std::runtime_error(object + "." + operation + ": " + message),
      object_(std::move(object)),
      operation_(std::move(operation)),
      reason_(message) {}

AutomationObject::~AutomationObject() = default;

Variant AutomationObject::call(std::string_view method, std::vector<Variant> args) {
    return invoke(method, CallKind::Method, args);
}

Variant AutomationObject::get(std::string_view property, std::vector<Variant> index) {
    return invoke(property, CallKind::PropertyGet, index);
}

void AutomationObject::put(std::string_view property, std::vector<Variant> indexThenValue) {
    invoke(property, CallKind::PropertyPut, indexThenValue);
}

struct DispatchObject::Entry {
    std::string name;
    bool isProperty = false;
    int minArgs = 0, maxArgs = 0;
    Handler handler;  // method or getter
    Setter setter;
};

void DispatchObject::Arguments::setOut(size_t i, Variant value) {
    if (i >= args_.size() || !args_[i].isRef())
        throw std::invalid_argument("argument " + std::to_string(i + 1) + " must be passed by reference");
    args_[i].deref() = std::move(value);
}

DispatchObject::DispatchObject(std::string className) : className_(std::move(className)) {}

void DispatchObject::method(std::string name, int minArgs, Handler handler, int maxArgs) {
    auto e = std::make_shared<Entry>();
    e->name = std::move(name);
    e->minArgs = minArgs;
    e->maxArgs = maxArgs < 0 ? minArgs : maxArgs;
    e->handler = std::move(handler);
    entries_.push_back(std::move(e));
}

void DispatchObject::property(std::string name, int indexCount, Handler getter, Setter setter) {
    auto e = std::make_shared<Entry>();
    e->name = std::move(name);
    e->isProperty = true;
    e->minArgs = e->maxArgs = indexCount;
    e->handler = std::move(getter);
    e->setter = std::move(setter);
    entries_.push_back(std::move(e));
}

const DispatchObject::Entry* DispatchObject::find(std::string_view name) const {
    for (const auto& e : entries_)
        if (sameName(e->name, name)) return e.get();
    return nullptr;
}

Variant DispatchObject::invoke(std::string_view name, CallKind kind, std::vector<Variant>& args) {
    // Keep the object alive for the call even if the handler drops the last outside reference.
    auto self = weak_from_this().lock();
    const Entry* e = find(name);
    const std::string op(name);
    if (!e) throw AutomationError(className_, op, "no such operation");
    const bool put = kind == CallKind::PropertyPut;
    // A late-bound read does not tell a property from a method without arguments: both answer.
    if (put && !e->isProperty) throw AutomationError(className_, op, "is a method, not a property");
    if ((put && !e->setter) || (!put && !e->handler))
        throw AutomationError(className_, op, put ? "is read-only" : "is write-only");
    const int given = static_cast<int>(args.size()) - (put ? 1 : 0);
    if (given < e->minArgs || given > e->maxArgs) {
        const std::string expected = e->minArgs == e->maxArgs
                                         ? std::to_string(e->minArgs)
                                         : std::to_string(e->minArgs) + " to " + std::to_string(e->maxArgs);
        throw AutomationError(className_, op,
                              "wrong number of arguments: expects " + expected + ", got " + std::to_string(given));
    }
    try {
        if (put) {
            Variant value = args.back().deref();
            args.pop_back();
            Arguments a(args);
            e->setter(a, value);
            return {};
        }
        Arguments a(args);
        return e->handler(a);
    } catch (const AutomationError&) {
        throw;
    } catch (const std::exception& failure) {
        throw AutomationError(className_, e->name, failure.what());
    }
}

}  // namespace kadrix::platform
