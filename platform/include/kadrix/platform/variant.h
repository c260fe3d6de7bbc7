// The loosely typed value that crosses automation calls: empty, null, boolean, 32-bit integer,
// double, date-time, text (UTF-8), bytes, one- and two-dimensional arrays with their bounds,
// a reference to an automation object, and a by-reference cell for out and in/out arguments.
// Arrays are values: a copy is a copy.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/export.h"

namespace kadrix::platform {

class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;
class Variant;

// A failed conversion of a variant (text that is no number, an array asked for as text, ...).
class KX_PLATFORM_API VariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One- or two-dimensional array; items are stored row-major, the last index fastest.
class KX_PLATFORM_API VariantArray {
public:
    struct Bound {
        int32_t low = 0;
        int32_t count = 0;
        int32_t high() const { return low + count - 1; }
    };

    VariantArray() = default;
    explicit VariantArray(std::vector<Variant> items, int32_t low = 0);  // one dimension
    static VariantArray oneDimension(int32_t low, int32_t count);
    static VariantArray twoDimensions(Bound rows, Bound columns);

    int dimensions() const { return static_cast<int>(bounds_.size()); }
    Bound bound(int dimension) const;  // 1-based as the platform counts
    size_t size() const { return items_.size(); }

    // Index by bounds; throws VariantError when out of range.
    Variant& at(int32_t index);
    const Variant& at(int32_t index) const;
    Variant& at(int32_t row, int32_t column);
    const Variant& at(int32_t row, int32_t column) const;
    const std::vector<Variant>& items() const { return items_; }

    friend bool operator==(const VariantArray& a, const VariantArray& b);

private:
    std::vector<Bound> bounds_;
    std::vector<Variant> items_;
};

class KX_PLATFORM_API Variant {
public:
    enum class Kind { Empty, Null, Bool, Int, Double, DateTime, Text, Bytes, Array, Object, Ref };

    Variant() = default;
    Variant(bool b);                       // NOLINT: implicit conversions make calls read naturally
    Variant(int32_t i);                    // NOLINT
    Variant(double d);                     // NOLINT
    Variant(const char* text);             // NOLINT
    Variant(std::string text);             // NOLINT
    Variant(std::string_view text);        // NOLINT
    Variant(VariantArray array);           // NOLINT
    Variant(ObjectRef object);             // NOLINT
    static Variant null();
    static Variant dateTime(double days);
    static Variant bytes(std::string data);
    // An out or in/out argument: the callee reads and writes `cell`, which the caller owns and
    // keeps alive for the call.
    static Variant ref(Variant& cell);

    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;
    ~Variant();

    Kind kind() const { return kind_; }
    bool isEmpty() const { return kind_ == Kind::Empty; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isRef() const { return kind_ == Kind::Ref; }
    // The value itself, following a by-reference cell.
    const Variant& deref() const;
    Variant& deref();

    // Conversions. Empty and null become "" and 0; text is read as a number only when the whole
    // text (blanks around allowed) is one, else VariantError.
    std::string toText() const;
    int32_t toInt() const;
    double toDouble() const;
    bool toBool() const;
    double toDateTime() const;
    std::optional<int32_t> tryInt() const;
    std::optional<double> tryDouble() const;
    const std::string& bytesValue() const;  // Bytes (or Text) content; VariantError otherwise
    const VariantArray& array() const;      // VariantError when not an array
    VariantArray& array();
    ObjectRef object() const;               // null unless an object reference

    friend KX_PLATFORM_API bool operator==(const Variant& a, const Variant& b);
    static const char* kindName(Kind kind);

private:
    void destroy();
    void copyFrom(const Variant& other);
    void moveFrom(Variant&& other) noexcept;

    Kind kind_ = Kind::Empty;
    union {
        bool bool_;
        int32_t int_;
        double double_;
        std::string* text_;  // Text and Bytes
        VariantArray* array_;
        ObjectRef* object_;
        Variant* ref_;
    };
};

}  // namespace kadrix::platform
