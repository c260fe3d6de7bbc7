// Data packets: the rows of a query as one compact, versioned byte string (the result of the
// data service's OpenSql). Loading validates everything (signature, version, counts, types,
// text, checksum), so a damaged packet is refused rather than misread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/status.h"
#include "kadrix/platform/variant.h"

namespace kadrix::platform {

enum class FieldType : uint8_t { Integer = 1, Double = 2, Text = 3, DateTime = 4, Boolean = 5 };

struct PacketColumn {
    std::string name;
    FieldType type = FieldType::Text;
    friend bool operator==(const PacketColumn&, const PacketColumn&) = default;
};

struct KX_PLATFORM_API DataPacket {
    std::vector<PacketColumn> columns;
    std::vector<std::vector<Variant>> rows;  // one Variant per column; null for SQL NULL

    // Fails when a row has the wrong width or a value does not convert to its column's type.
    Result<std::string> encode() const;
    static Result<DataPacket> decode(std::string_view bytes);
    // The packet as the variant a data service returns.
    Result<Variant> toVariant() const;
};

}  // namespace kadrix::platform
