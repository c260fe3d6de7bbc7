#include "kadrix/platform/data_packet.h"

#include <array>
#include <cstring>

#include "kadrix/platform/text_codec.h"

namespace kadrix::platform {
namespace {

constexpr char Signature[4] = {'K', 'X', 'D', 'P'};
constexpr uint16_t Version = 1;
// Generous limits: a packet claiming more is damaged, not big.
constexpr uint32_t MaxColumns = 4096;
constexpr uint32_t MaxNameBytes = 1024;

uint32_t crc32(std::string_view data) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : data) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

class Writer {
public:
    void bytes(const void* p, size_t n) { out_.append(static_cast<const char*>(p), n); }
    template <typename T>
    void put(T v) {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));  // little-endian on every platform we build for
        bytes(b, sizeof(T));
    }
    void text(std::string_view s) {
        put<uint32_t>(static_cast<uint32_t>(s.size()));
        bytes(s.data(), s.size());
    }
    std::string& str() { return out_; }

private:
    std::string out_;
};

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    template <typename T>
    bool get(T& v) {
        if (in_.size() - pos_ < sizeof(T)) return false;
        std::memcpy(&v, in_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }
    bool text(std::string& s, uint32_t limit) {
        uint32_t n;
        if (!get(n) || n > limit || in_.size() - pos_ < n) return false;
        s.assign(in_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    size_t left() const { return in_.size() - pos_; }

private:
    std::string_view in_;
    size_t pos_ = 0;
};

bool knownType(uint8_t t) { return t >= 1 && t <= 5; }

}  // namespace

Result<std::string> DataPacket::encode() const {
    // What decoding would refuse is refused here, so a packet that leaves always loads.
    if (columns.size() > MaxColumns) return Status::failure("too many columns for a data packet");
    for (const PacketColumn& c : columns)
        if (c.name.empty() || c.name.size() > MaxNameBytes || !utf8ToUtf16(c.name).ok())
            return Status::failure("column name '" + c.name + "' cannot go into a data packet");
    Writer w;
    w.bytes(Signature, 4);
    w.put<uint16_t>(Version);
    w.put<uint16_t>(0);
    w.put<uint32_t>(static_cast<uint32_t>(columns.size()));
    for (const PacketColumn& c : columns) {
        w.put<uint8_t>(static_cast<uint8_t>(c.type));
        w.text(c.name);
    }
    w.put<uint32_t>(static_cast<uint32_t>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        if (row.size() != columns.size())
            return Status::failure("row " + std::to_string(r) + " has " + std::to_string(row.size()) +
                                   " values for " + std::to_string(columns.size()) + " columns");
        for (size_t c = 0; c < row.size(); ++c) {
            const Variant& v = row[c].deref();
            if (v.isNull() || v.isEmpty()) {
                w.put<uint8_t>(0);
                continue;
            }
            w.put<uint8_t>(1);
            try {
                switch (columns[c].type) {
                    case FieldType::Integer: w.put<int32_t>(v.toInt()); break;
                    case FieldType::Double: w.put<double>(v.toDouble()); break;
                    case FieldType::DateTime: w.put<double>(v.toDateTime()); break;
                    case FieldType::Boolean: w.put<uint8_t>(v.toBool() ? 1 : 0); break;
                    case FieldType::Text: {
                        const std::string text = v.toText();
                        if (!utf8ToUtf16(text).ok()) throw VariantError("text is not UTF-8");
                        w.text(text);
                        break;
                    }
                }
            } catch (const VariantError& e) {
                return Status::failure("column " + columns[c].name + ", row " + std::to_string(r) + ": " + e.what());
            }
        }
    }
    w.put<uint32_t>(crc32(w.str()));
    return std::move(w.str());
}

Result<DataPacket> DataPacket::decode(std::string_view bytes) {
    const auto damaged = [](const std::string& why) { return Status::failure("damaged data packet: " + why); };
    if (bytes.size() < 4 + 2 + 2 + 4 + 4 + 4 || std::memcmp(bytes.data(), Signature, 4) != 0)
        return damaged("no data packet signature");
    uint32_t stored;
    std::memcpy(&stored, bytes.data() + bytes.size() - 4, 4);
    const std::string_view body = bytes.substr(0, bytes.size() - 4);
    if (crc32(body) != stored) return damaged("checksum mismatch");

    Reader r(body.substr(4));
    uint16_t version, flags;
    uint32_t columnCount;
    if (!r.get(version) || !r.get(flags) || !r.get(columnCount)) return damaged("short header");
    if (version != Version) return damaged("unsupported version " + std::to_string(version));
    if (columnCount > MaxColumns) return damaged("too many columns");
    DataPacket p;
    for (uint32_t i = 0; i < columnCount; ++i) {
        uint8_t type;
        PacketColumn c;
        if (!r.get(type) || !knownType(type) || !r.text(c.name, MaxNameBytes) || c.name.empty())
            return damaged("bad column " + std::to_string(i));
        if (!utf8ToUtf16(c.name).ok()) return damaged("column name is not text");
        c.type = static_cast<FieldType>(type);
        p.columns.push_back(std::move(c));
    }
    uint32_t rowCount;
    if (!r.get(rowCount)) return damaged("no row count");
    // Every cell takes at least one byte: a count larger than the bytes left is a lie.
    if (columnCount == 0 ? rowCount != 0 : uint64_t{rowCount} * columnCount > r.left())
        return damaged("row count exceeds the data");
    p.rows.reserve(rowCount);
    for (uint32_t row = 0; row < rowCount; ++row) {
        std::vector<Variant> values;
        values.reserve(columnCount);
        for (const PacketColumn& c : p.columns) {
            uint8_t present;
            if (!r.get(present) || present > 1) return damaged("bad cell in row " + std::to_string(row));
            if (!present) {
                values.push_back(Variant::null());
                continue;
            }
            bool ok = true;
            switch (c.type) {
                case FieldType::Integer: {
                    int32_t v = 0;
                    ok = r.get(v);
                    values.emplace_back(v);
                    break;
                }
                case FieldType::Double:
                case FieldType::DateTime: {
                    double v = 0;
                    ok = r.get(v);
                    values.push_back(c.type == FieldType::Double ? Variant(v) : Variant::dateTime(v));
                    break;
                }
                case FieldType::Boolean: {
                    uint8_t v = 0;
                    ok = r.get(v) && v <= 1;
                    values.emplace_back(v == 1);
                    break;
                }
                case FieldType::Text: {
                    std::string v;
                    ok = r.text(v, UINT32_MAX) && utf8ToUtf16(v).ok();
                    values.emplace_back(std::move(v));
                    break;
                }
            }
            if (!ok) return damaged("bad value in row " + std::to_string(row) + ", column " + c.name);
        }
        p.rows.push_back(std::move(values));
    }
    if (r.left() != 0) return damaged("trailing bytes");
    return p;
}

Result<Variant> DataPacket::toVariant() const {
    auto bytes = encode();
    if (!bytes) return bytes.status();
    return Variant::bytes(std::move(bytes).value());
}

}  // namespace kadrix::platform
