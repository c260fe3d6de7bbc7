#include "kadrix/platform/client_dataset.h"

#include <sqlite3.h>

#include <cstring>

namespace kadrix::platform {
namespace {

std::string quoted(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

const char* declaredType(FieldType t) {
    switch (t) {
        case FieldType::Integer:
        case FieldType::Boolean: return "INTEGER";
        case FieldType::Double:
        case FieldType::DateTime: return "REAL";
        case FieldType::Text: return "TEXT";
    }
    return "";
}

void bind(sqlite3_stmt* st, int index, const Variant& value) {
    const Variant& v = value.deref();
    switch (v.kind()) {
        case Variant::Kind::Empty:
        case Variant::Kind::Null: sqlite3_bind_null(st, index); break;
        case Variant::Kind::Bool:
        case Variant::Kind::Int: sqlite3_bind_int(st, index, v.toInt()); break;
        case Variant::Kind::Double:
        case Variant::Kind::DateTime: sqlite3_bind_double(st, index, v.toDouble()); break;
        default: {
            const std::string text = v.toText();
            sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
    }
}

// Functions a filter may call: text and number helpers, nothing that reaches outside the row.
bool allowedFunction(const char* name) {
    static const char* const allowed[] = {"upper", "lower", "like",  "glob",     "trim",   "ltrim",
                                          "rtrim", "length", "substr", "abs",     "round",  "coalesce",
                                          "ifnull", "instr",  "nullif", "replace", "iif"};
    for (const char* a : allowed)
        if (sqlite3_stricmp(a, name) == 0) return true;
    return false;
}

struct FilterGuard {
    int selects = 0;
};

// While a filter is compiled only one SELECT over the data table may take shape.
int authorize(void* context, int action, const char* a, const char* b, const char*, const char*) {
    auto* guard = static_cast<FilterGuard*>(context);
    switch (action) {
        case SQLITE_SELECT: return ++guard->selects == 1 ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_READ: return a && std::strcmp(a, "data") == 0 ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_FUNCTION: return b && allowedFunction(b) ? SQLITE_OK : SQLITE_DENY;
        default: return SQLITE_DENY;
    }
}

}  // namespace

struct ClientDataset::Impl {
    sqlite3* db = nullptr;
    DataPacket packet;
    std::vector<int> visible;  // row indexes seen through the filter, in order
    size_t cursor = 0;
    std::string filter;
    bool filtered = false;

    ~Impl() { closeDb(); }
    void closeDb() {
        if (db) sqlite3_close(db);
        db = nullptr;
    }

    std::string error() const { return db ? sqlite3_errmsg(db) : "no database"; }

    Status create() {
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_PRIVATECACHE,
                            nullptr) != SQLITE_OK)
            return Status::failure("cannot open an in-memory table: " + error());
        std::string ddl = "CREATE TABLE data (";
        std::string insert = "INSERT INTO data VALUES (";
        for (size_t i = 0; i < packet.columns.size(); ++i) {
            ddl += (i ? ", " : "") + quoted(packet.columns[i].name) + " " + declaredType(packet.columns[i].type);
            insert += i ? ", ?" : "?";
        }
        if (packet.columns.empty()) ddl += "\"_none\" INTEGER";
        ddl += ")";
        insert += ")";
        if (sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return Status::failure("cannot create the in-memory table: " + error());
        if (packet.columns.empty()) return {};
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, insert.c_str(), -1, &st, nullptr) != SQLITE_OK)
            return Status::failure("cannot fill the in-memory table: " + error());
        for (size_t r = 0; r < packet.rows.size(); ++r) {
            for (size_t c = 0; c < packet.columns.size(); ++c) bind(st, static_cast<int>(c + 1), packet.rows[r][c]);
            if (sqlite3_step(st) != SQLITE_DONE) {
                sqlite3_finalize(st);
                return Status::failure("cannot fill the in-memory table: " + error());
            }
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        return {};
    }

    // Compiles under the filter guard: one SELECT over the data table, nothing after it.
    Result<sqlite3_stmt*> compile(const std::string& sql) {
        FilterGuard guard;
        sqlite3_set_authorizer(db, authorize, &guard);
        sqlite3_stmt* st = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, &tail);
        sqlite3_set_authorizer(db, nullptr, nullptr);
        const bool trailing = tail && std::strspn(tail, " \t\r\n") != std::strlen(tail);
        if (rc != SQLITE_OK || !st || trailing) {
            const std::string why = rc != SQLITE_OK ? error() : "more than one expression";
            if (st) sqlite3_finalize(st);
            return Status::failure(why);
        }
        return st;
    }

    // A filter is one expression: as the only column of a select it must compile alone, so text
    // that closes the parenthesis and goes on ("1) GROUP BY (1") is refused.
    Status checkExpression(std::string_view expression) {
        auto st = compile("SELECT (" + std::string(expression) + "\n) FROM data");
        if (!st) return st.status();
        const bool single = sqlite3_column_count(*st) == 1;
        sqlite3_finalize(*st);
        return single ? Status() : Status::failure("more than one expression");
    }

    // "SELECT rowid FROM data WHERE (<condition>) [AND extra]", the condition checked before.
    Result<sqlite3_stmt*> prepare(std::string_view condition, const std::string& extra) {
        std::string sql = "SELECT rowid FROM data WHERE (";
        sql += condition.empty() ? "1" : condition;
        sql += "\n)" + extra + " ORDER BY rowid";
        return compile(sql);
    }

    Result<std::vector<int>> select(std::string_view condition, const std::vector<std::pair<std::string, Variant>>& keys,
                                    bool firstOnly) {
        std::string extra;
        for (const auto& [name, _] : keys) extra += " AND " + quoted(name) + " = ?";
        auto st = prepare(condition, extra);
        if (!st) return st.status();
        for (size_t i = 0; i < keys.size(); ++i) bind(*st, static_cast<int>(i + 1), keys[i].second);
        std::vector<int> rows;
        int rc;
        while ((rc = sqlite3_step(*st)) == SQLITE_ROW) {
            rows.push_back(static_cast<int>(sqlite3_column_int64(*st, 0) - 1));
            if (firstOnly) break;
        }
        const bool failed = rc != SQLITE_ROW && rc != SQLITE_DONE;
        sqlite3_finalize(*st);
        if (failed) return Status::failure(error());
        return rows;
    }

    std::string_view activeFilter() const { return filtered ? std::string_view(filter) : std::string_view(); }

    Status refreshVisible() {
        visible.clear();
        cursor = 0;
        if (!db) return {};
        auto rows = select(activeFilter(), {}, false);
        if (!rows) return rows.status();
        visible = std::move(rows).value();
        return {};
    }

    int columnIndex(std::string_view name) const {
        for (size_t i = 0; i < packet.columns.size(); ++i)
            if (sqlite3_stricmp(packet.columns[i].name.c_str(), std::string(name).c_str()) == 0)
                return static_cast<int>(i);
        return -1;
    }
};

ClientDataset::ClientDataset() : impl_(std::make_unique<Impl>()) {}
ClientDataset::~ClientDataset() = default;

Status ClientDataset::load(const DataPacket& packet) {
    close();
    impl_->packet = packet;
    if (Status made = impl_->create(); !made) {
        close();
        return made;
    }
    // A filter in force is checked against the new rows' columns.
    if (impl_->filtered && !impl_->filter.empty()) {
        if (Status checked = impl_->checkExpression(impl_->filter); !checked) {
            close();
            return Status::failure("filter refused: " + impl_->filter + ": " + checked.message());
        }
    }
    return impl_->refreshVisible();
}

Status ClientDataset::load(std::string_view packetBytes) {
    auto packet = DataPacket::decode(packetBytes);
    if (!packet) {
        close();
        return packet.status();
    }
    return load(*packet);
}

Status ClientDataset::load(const Variant& packet) {
    const Variant& v = packet.deref();
    if (v.kind() != Variant::Kind::Bytes) {
        close();
        return Status::failure(std::string("no data packet: the value is ") + Variant::kindName(v.kind()));
    }
    return load(std::string_view(v.bytesValue()));
}

void ClientDataset::close() {
    impl_->closeDb();
    impl_->packet = {};
    impl_->visible.clear();
    impl_->cursor = 0;
}

bool ClientDataset::active() const { return impl_->db != nullptr; }
bool ClientDataset::isEmpty() const { return impl_->visible.empty(); }
int ClientDataset::recordCount() const { return static_cast<int>(impl_->visible.size()); }
void ClientDataset::first() { impl_->cursor = 0; }

void ClientDataset::next() {
    if (impl_->cursor < impl_->visible.size()) ++impl_->cursor;
}

bool ClientDataset::eof() const { return impl_->cursor >= impl_->visible.size(); }

const std::vector<PacketColumn>& ClientDataset::columns() const { return impl_->packet.columns; }

bool ClientDataset::hasField(std::string_view name) const { return impl_->columnIndex(name) >= 0; }

Field ClientDataset::field(std::string_view name) const {
    const int c = impl_->columnIndex(name);
    if (c < 0) throw VariantError("field '" + std::string(name) + "' not found");
    if (eof()) throw VariantError("no current row for field '" + std::string(name) + "'");
    const int row = impl_->visible[impl_->cursor];
    return Field(impl_->packet.columns[static_cast<size_t>(c)].name,
                 impl_->packet.rows[static_cast<size_t>(row)][static_cast<size_t>(c)]);
}

bool ClientDataset::locate(const std::vector<std::pair<std::string, Variant>>& keyValues) {
    if (!active()) return false;
    for (const auto& [name, _] : keyValues)
        if (!hasField(name)) return false;
    auto rows = impl_->select(impl_->activeFilter(), keyValues, true);
    if (!rows || rows->empty()) return false;
    for (size_t i = 0; i < impl_->visible.size(); ++i) {
        if (impl_->visible[i] == rows->front()) {
            impl_->cursor = i;
            return true;
        }
    }
    return false;
}

Status ClientDataset::setFilter(std::string_view expression) {
    std::string_view text = expression;
    while (!text.empty() && std::strchr(" \t\r\n", text.front())) text.remove_prefix(1);
    if (!text.empty() && impl_->db) {
        if (Status checked = impl_->checkExpression(text); !checked)
            return Status::failure("filter refused: " + std::string(expression) + ": " + checked.message());
    }
    impl_->filter = std::string(text);
    return impl_->refreshVisible();
}

Status ClientDataset::setFiltered(bool filtered) {
    impl_->filtered = filtered;
    return impl_->refreshVisible();
}

bool ClientDataset::filtered() const { return impl_->filtered; }
const std::string& ClientDataset::filter() const { return impl_->filter; }

}  // namespace kadrix::platform
