// The client dataset: an in-memory table loaded from a data packet, read row by row with
// columns found by name without regard to case. A filter narrows the rows seen; it is an
// expression over the dataset's columns ("iType=3", "Upper(PatNameSpell) like Upper('zh%')")
// evaluated by SQLite, accepted only when it is exactly one such expression, so it can never
// run a statement.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kadrix/platform/data_packet.h"

namespace kadrix::platform {

// A value of the current row. The conversions throw VariantError as the variant's do.
class KX_PLATFORM_API Field {
public:
    Field(std::string name, Variant value) : name_(std::move(name)), value_(std::move(value)) {}
    const std::string& name() const { return name_; }
    const Variant& value() const { return value_; }
    bool isNull() const { return value_.isNull() || value_.isEmpty(); }
    std::string asString() const { return value_.toText(); }
    int32_t asInteger() const { return value_.toInt(); }
    double asFloat() const { return value_.toDouble(); }
    double asDateTime() const { return value_.toDateTime(); }

private:
    std::string name_;
    Variant value_;
};

class KX_PLATFORM_API ClientDataset {
public:
    ClientDataset();
    ~ClientDataset();
    ClientDataset(const ClientDataset&) = delete;
    ClientDataset& operator=(const ClientDataset&) = delete;

    // Replaces what was loaded; the cursor goes to the first row. A failed load leaves it closed.
    Status load(const DataPacket& packet);
    Status load(std::string_view packetBytes);
    Status load(const Variant& packet);  // bytes as returned by OpenSql
    void close();
    bool active() const;
    // No row (within the filter) or not active.
    bool isEmpty() const;
    int recordCount() const;

    void first();
    void next();
    bool eof() const;

    const std::vector<PacketColumn>& columns() const;
    bool hasField(std::string_view name) const;
    // A column of the current row; throws VariantError for an unknown column or no current row.
    Field field(std::string_view name) const;

    // Moves to the first row (within the filter) whose columns equal the values; false, and the
    // cursor stays, when there is none.
    bool locate(const std::vector<std::pair<std::string, Variant>>& keyValues);

    // Checks and sets the filter; an empty text removes it. A refused text changes nothing. A
    // filter in force is checked again when rows are loaded: a load fails on one that doesn't fit.
    Status setFilter(std::string_view expression);
    Status setFiltered(bool filtered);
    bool filtered() const;
    const std::string& filter() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kadrix::platform
