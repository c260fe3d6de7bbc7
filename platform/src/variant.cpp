#include "kadrix/platform/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "kadrix/platform/date_time.h"

namespace kadrix::platform {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<int32_t> parseInt(std::string_view text) {
    const std::string s(trimmed(text));
    if (s.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(v);
}

std::optional<double> parseDouble(std::string_view text) {
    const std::string s(trimmed(text));
    if (s.empty()) return std::nullopt;
    // Read with the point as decimal separator whatever the locale.
    std::optional<double> result;
    locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    char* end = nullptr;
    const double v = strtod_l(s.c_str(), &end, c);
    if (end && *end == '\0' && std::isfinite(v)) result = v;
    freelocale(c);
    return result;
}

std::optional<int32_t> roundToInt(double d) {
    if (!std::isfinite(d)) return std::nullopt;
    const double r = std::nearbyint(d);  // halves to even
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(r);
}

[[noreturn]] void cannot(const char* what, Variant::Kind kind) {
    throw VariantError(std::string("cannot convert ") + Variant::kindName(kind) + " to " + what);
}

}  // namespace

// ---- VariantArray

VariantArray::VariantArray(std::vector<Variant> items, int32_t low)
    : bounds_{{low, static_cast<int32_t>(items.size())}}, items_(std::move(items)) {}

VariantArray VariantArray::oneDimension(int32_t low, int32_t count) {
    VariantArray a;
    a.bounds_ = {{low, count < 0 ? 0 : count}};
    a.items_.resize(static_cast<size_t>(a.bounds_[0].count));
    return a;
}

VariantArray VariantArray::twoDimensions(Bound rows, Bound columns) {
    VariantArray a;
    rows.count = rows.count < 0 ? 0 : rows.count;
    columns.count = columns.count < 0 ? 0 : columns.count;
    a.bounds_ = {rows, columns};
    a.items_.resize(static_cast<size_t>(rows.count) * static_cast<size_t>(columns.count));
    return a;
}

VariantArray::Bound VariantArray::bound(int dimension) const {
    if (dimension < 1 || dimension > dimensions())
        throw VariantError("array has no dimension " + std::to_string(dimension));
    return bounds_[static_cast<size_t>(dimension - 1)];
}

const Variant& VariantArray::at(int32_t index) const {
    if (dimensions() != 1) throw VariantError("array is not one-dimensional");
    const int64_t k = int64_t{index} - bounds_[0].low;
    if (k < 0 || k >= bounds_[0].count) throw VariantError("array index " + std::to_string(index) + " out of bounds");
    return items_[static_cast<size_t>(k)];
}

Variant& VariantArray::at(int32_t index) {
    return const_cast<Variant&>(static_cast<const VariantArray&>(*this).at(index));
}

const Variant& VariantArray::at(int32_t row, int32_t column) const {
    if (dimensions() != 2) throw VariantError("array is not two-dimensional");
    const int64_t r = int64_t{row} - bounds_[0].low;
    const int64_t c = int64_t{column} - bounds_[1].low;
    if (r < 0 || r >= bounds_[0].count || c < 0 || c >= bounds_[1].count)
        throw VariantError("array index (" + std::to_string(row) + ", " + std::to_string(column) + ") out of bounds");
    return items_[static_cast<size_t>(r * bounds_[1].count + c)];
}

Variant& VariantArray::at(int32_t row, int32_t column) {
    return const_cast<Variant&>(static_cast<const VariantArray&>(*this).at(row, column));
}

bool operator==(const VariantArray& a, const VariantArray& b) {
    if (a.bounds_.size() != b.bounds_.size()) return false;
    for (size_t i = 0; i < a.bounds_.size(); ++i)
        if (a.bounds_[i].low != b.bounds_[i].low || a.bounds_[i].count != b.bounds_[i].count) return false;
    return a.items_ == b.items_;
}

// ---- Variant

Variant::Variant(bool b) : kind_(Kind::Bool), bool_(b) {}
Variant::Variant(int32_t i) : kind_(Kind::Int), int_(i) {}
Variant::Variant(double d) : kind_(Kind::Double), double_(d) {}
Variant::Variant(const char* text) : kind_(Kind::Text), text_(new std::string(text ? text : "")) {}
Variant::Variant(std::string text) : kind_(Kind::Text), text_(new std::string(std::move(text))) {}
Variant::Variant(std::string_view text) : kind_(Kind::Text), text_(new std::string(text)) {}
Variant::Variant(VariantArray array) : kind_(Kind::Array), array_(new VariantArray(std::move(array))) {}
Variant::Variant(ObjectRef object) : kind_(object ? Kind::Object : Kind::Null) {
    if (object) object_ = new ObjectRef(std::move(object));
}

Variant Variant::null() {
    Variant v;
    v.kind_ = Kind::Null;
    return v;
}

Variant Variant::dateTime(double days) {
    Variant v(days);
    v.kind_ = Kind::DateTime;
    return v;
}

Variant Variant::bytes(std::string data) {
    Variant v(std::move(data));
    v.kind_ = Kind::Bytes;
    return v;
}

Variant Variant::ref(Variant& cell) {
    Variant v;
    v.kind_ = Kind::Ref;
    v.ref_ = &cell.deref();
    return v;
}

Variant::Variant(const Variant& other) { copyFrom(other); }
Variant::Variant(Variant&& other) noexcept { moveFrom(std::move(other)); }

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);  // other may live inside this (an array item)
        destroy();
        moveFrom(std::move(copy));
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        Variant taken(std::move(other));  // other may live inside this (an array item)
        destroy();
        moveFrom(std::move(taken));
    }
    return *this;
}

Variant::~Variant() { destroy(); }

void Variant::destroy() {
    switch (kind_) {
        case Kind::Text:
        case Kind::Bytes: delete text_; break;
        case Kind::Array: delete array_; break;
        case Kind::Object: delete object_; break;
        default: break;
    }
    kind_ = Kind::Empty;
}

void Variant::copyFrom(const Variant& o) {
    kind_ = o.kind_;
    switch (o.kind_) {
        case Kind::Bool: bool_ = o.bool_; break;
        case Kind::Int: int_ = o.int_; break;
        case Kind::Double:
        case Kind::DateTime: double_ = o.double_; break;
        case Kind::Text:
        case Kind::Bytes: text_ = new std::string(*o.text_); break;
        case Kind::Array: array_ = new VariantArray(*o.array_); break;
        case Kind::Object: object_ = new ObjectRef(*o.object_); break;
        case Kind::Ref: ref_ = o.ref_; break;
        default: break;
    }
}

void Variant::moveFrom(Variant&& o) noexcept {
    kind_ = o.kind_;
    switch (o.kind_) {
        case Kind::Bool: bool_ = o.bool_; break;
        case Kind::Int: int_ = o.int_; break;
        case Kind::Double:
        case Kind::DateTime: double_ = o.double_; break;
        case Kind::Text:
        case Kind::Bytes: text_ = o.text_; break;
        case Kind::Array: array_ = o.array_; break;
        case Kind::Object: object_ = o.object_; break;
        case Kind::Ref: ref_ = o.ref_; break;
        default: break;
    }
    o.kind_ = Kind::Empty;
}

const Variant& Variant::deref() const { return kind_ == Kind::Ref ? *ref_ : *this; }
Variant& Variant::deref() { return kind_ == Kind::Ref ? *ref_ : *this; }

std::string Variant::toText() const {
    const Variant& v = deref();
    switch (v.kind_) {
        case Kind::Empty:
        case Kind::Null: return {};
        case Kind::Bool: return v.bool_ ? "True" : "False";
        case Kind::Int: return std::to_string(v.int_);
        case Kind::Double: {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.15g", v.double_);
            std::string s = buffer;
            for (char& c : s)
                if (c == ',') c = '.';  // whatever the locale
            return s;
        }
        case Kind::DateTime: return formatIso(v.double_);
        case Kind::Text:
        case Kind::Bytes: return *v.text_;
        default: cannot("text", v.kind_);
    }
}

std::optional<int32_t> Variant::tryInt() const {
    const Variant& v = deref();
    switch (v.kind_) {
        case Kind::Empty:
        case Kind::Null: return 0;
        case Kind::Bool: return v.bool_ ? 1 : 0;
        case Kind::Int: return v.int_;
        case Kind::Double:
        case Kind::DateTime: return roundToInt(v.double_);
        case Kind::Text:
            if (auto i = parseInt(*v.text_)) return i;
            if (auto d = parseDouble(*v.text_)) return roundToInt(*d);
            return std::nullopt;
        default: return std::nullopt;
    }
}

std::optional<double> Variant::tryDouble() const {
    const Variant& v = deref();
    switch (v.kind_) {
        case Kind::Empty:
        case Kind::Null: return 0.0;
        case Kind::Bool: return v.bool_ ? 1.0 : 0.0;
        case Kind::Int: return v.int_;
        case Kind::Double:
        case Kind::DateTime: return v.double_;
        case Kind::Text: return parseDouble(*v.text_);
        default: return std::nullopt;
    }
}

int32_t Variant::toInt() const {
    if (auto i = tryInt()) return *i;
    const Variant& v = deref();
    if (v.kind_ == Kind::Text) throw VariantError("'" + *v.text_ + "' is not a valid integer value");
    cannot("an integer", v.kind_);
}

double Variant::toDouble() const {
    if (auto d = tryDouble()) return *d;
    const Variant& v = deref();
    if (v.kind_ == Kind::Text) throw VariantError("'" + *v.text_ + "' is not a valid floating point value");
    cannot("a number", v.kind_);
}

bool Variant::toBool() const {
    const Variant& v = deref();
    if (v.kind_ == Kind::Bool) return v.bool_;
    if (v.kind_ == Kind::Text) {
        const std::string_view t = trimmed(*v.text_);
        if (t.size() == 4 && (t[0] | 0x20) == 't' && (t[1] | 0x20) == 'r' && (t[2] | 0x20) == 'u' && (t[3] | 0x20) == 'e')
            return true;
        if (t.size() == 5 && (t[0] | 0x20) == 'f' && (t[1] | 0x20) == 'a' && (t[2] | 0x20) == 'l' &&
            (t[3] | 0x20) == 's' && (t[4] | 0x20) == 'e')
            return false;
    }
    if (auto d = tryDouble()) return *d != 0.0;
    if (v.kind_ == Kind::Text) throw VariantError("'" + *v.text_ + "' is not a valid boolean value");
    cannot("a boolean", v.kind_);
}

double Variant::toDateTime() const {
    const Variant& v = deref();
    if (v.kind_ == Kind::Text) {
        if (auto d = parseIsoDateTime(*v.text_)) return *d;
        throw VariantError("'" + *v.text_ + "' is not a valid date");
    }
    if (auto d = tryDouble()) return *d;
    cannot("a date", v.kind_);
}

const std::string& Variant::bytesValue() const {
    const Variant& v = deref();
    if (v.kind_ != Kind::Bytes && v.kind_ != Kind::Text) cannot("bytes", v.kind_);
    return *v.text_;
}

const VariantArray& Variant::array() const {
    const Variant& v = deref();
    if (v.kind_ != Kind::Array) cannot("an array", v.kind_);
    return *v.array_;
}

VariantArray& Variant::array() {
    Variant& v = deref();
    if (v.kind_ != Kind::Array) cannot("an array", v.kind_);
    return *v.array_;
}

ObjectRef Variant::object() const {
    const Variant& v = deref();
    return v.kind_ == Kind::Object ? *v.object_ : nullptr;
}

bool operator==(const Variant& x, const Variant& y) {
    const Variant& a = x.deref();
    const Variant& b = y.deref();
    using K = Variant::Kind;
    const auto numeric = [](K k) { return k == K::Int || k == K::Double || k == K::Bool; };
    if (a.kind_ != b.kind_) return numeric(a.kind_) && numeric(b.kind_) && a.toDouble() == b.toDouble();
    switch (a.kind_) {
        case K::Empty:
        case K::Null: return true;
        case K::Bool: return a.bool_ == b.bool_;
        case K::Int: return a.int_ == b.int_;
        case K::Double:
        case K::DateTime: return a.double_ == b.double_;
        case K::Text:
        case K::Bytes: return *a.text_ == *b.text_;
        case K::Array: return *a.array_ == *b.array_;
        case K::Object: return *a.object_ == *b.object_;
        case K::Ref: return a.ref_ == b.ref_;
    }
    return false;
}

const char* Variant::kindName(Kind kind) {
    switch (kind) {
        case Kind::Empty: return "empty";
        case Kind::Null: return "null";
        case Kind::Bool: return "boolean";
        case Kind::Int: return "integer";
        case Kind::Double: return "double";
        case Kind::DateTime: return "date";
        case Kind::Text: return "text";
        case Kind::Bytes: return "bytes";
        case Kind::Array: return "array";
        case Kind::Object: return "object";
        case Kind::Ref: return "reference";
    }
    return "?";
}

}  // namespace kadrix::platform
