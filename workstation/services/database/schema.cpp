#include "schema.h"

#include <string>

#include "sqlite_statement.h"

namespace kadrix::workstation::schema {
namespace {

using platform::Result;
using platform::Status;

// Version 1: the clinic's tables as the image module reads and writes them, plus the host
// services' own stores (Kx_ prefix). Number columns refuse what does not read as a number, as
// the clinic's server does; SQLite alone would keep 'abc' in an INTEGER column.
const char* const Version1 = R"sql(
CREATE TABLE RIS_List (
    ApplyNo INTEGER PRIMARY KEY,
    ReportID INTEGER NOT NULL DEFAULT 0 CHECK (typeof(ReportID) IN ('integer')),
    TechNo VARCHAR(32) COLLATE NOCASE NOT NULL DEFAULT '',
    HospNo VARCHAR(32) COLLATE NOCASE NOT NULL DEFAULT '',
    PatName VARCHAR(64) COLLATE NOCASE NOT NULL DEFAULT '',
    PatNameSpell VARCHAR(64) COLLATE NOCASE NOT NULL DEFAULT '',
    Age INTEGER CHECK (Age IS NULL OR typeof(Age) IN ('integer')),
    AgeUnit VARCHAR(8) COLLATE NOCASE,
    Sex INTEGER CHECK (Sex IS NULL OR typeof(Sex) IN ('integer')),
    Birthday DATETIME,
    Modality VARCHAR(16) COLLATE NOCASE,
    RegisterTime DATETIME NOT NULL,
    SysCode VARCHAR(32) COLLATE NOCASE NOT NULL DEFAULT '',
    UserID VARCHAR(32) COLLATE NOCASE NOT NULL DEFAULT ''
);
CREATE INDEX RIS_List_Registered ON RIS_List (SysCode, RegisterTime);

CREATE TABLE Instrument (
    InstID INTEGER PRIMARY KEY,
    InstCode VARCHAR(32) COLLATE NOCASE NOT NULL,
    InstName VARCHAR(64) COLLATE NOCASE NOT NULL DEFAULT ''
);

CREATE TABLE Ris_Result (
    ApplyNo INTEGER NOT NULL CHECK (typeof(ApplyNo) IN ('integer')),
    ItemCode VARCHAR(32) COLLATE NOCASE NOT NULL,
    ItemName VARCHAR(64) COLLATE NOCASE NOT NULL,
    ItemResult VARCHAR(255) COLLATE NOCASE
);
CREATE INDEX Ris_Result_Item ON Ris_Result (ApplyNo, ItemCode);

CREATE TABLE RIS_SpecialItemDic (
    ItemID INTEGER PRIMARY KEY,
    Parent INTEGER NOT NULL DEFAULT 0 CHECK (typeof(Parent) IN ('integer')),
    ItemCode VARCHAR(32) COLLATE NOCASE NOT NULL DEFAULT '',
    ItemName VARCHAR(64) COLLATE NOCASE NOT NULL DEFAULT ''
);
CREATE INDEX RIS_SpecialItemDic_Parent ON RIS_SpecialItemDic (Parent);

CREATE TABLE RIS_ImageProcessInfo (
    ImageID INTEGER NOT NULL UNIQUE CHECK (typeof(ImageID) IN ('integer')),
    EditTime DATETIME,
    KeepWH INTEGER NOT NULL DEFAULT 0 CHECK (typeof(KeepWH) IN ('integer')),
    ClipFlag INTEGER NOT NULL DEFAULT 0 CHECK (typeof(ClipFlag) IN ('integer')),
    ClipTop INTEGER NOT NULL DEFAULT 0 CHECK (typeof(ClipTop) IN ('integer')),
    ClipLeft INTEGER NOT NULL DEFAULT 0 CHECK (typeof(ClipLeft) IN ('integer')),
    ClipWidth INTEGER NOT NULL DEFAULT 0 CHECK (typeof(ClipWidth) IN ('integer')),
    ClipHeight INTEGER NOT NULL DEFAULT 0 CHECK (typeof(ClipHeight) IN ('integer')),
    QualityFlag INTEGER NOT NULL DEFAULT 0 CHECK (typeof(QualityFlag) IN ('integer')),
    Brightness INTEGER NOT NULL DEFAULT 0 CHECK (typeof(Brightness) IN ('integer')),
    Contrast INTEGER NOT NULL DEFAULT 0 CHECK (typeof(Contrast) IN ('integer')),
    Saturation INTEGER NOT NULL DEFAULT 0 CHECK (typeof(Saturation) IN ('integer')),
    Hue INTEGER NOT NULL DEFAULT 0 CHECK (typeof(Hue) IN ('integer')),
    LineFlag INTEGER NOT NULL DEFAULT 0 CHECK (typeof(LineFlag) IN ('integer')),
    MeasureFlag INTEGER NOT NULL DEFAULT 0 CHECK (typeof(MeasureFlag) IN ('integer'))
);

CREATE TABLE RIS_ImageProcessArrowInfo (
    ImageID INTEGER NOT NULL CHECK (typeof(ImageID) IN ('integer')),
    EditTime DATETIME,
    BeginPosX INTEGER NOT NULL CHECK (typeof(BeginPosX) IN ('integer')),
    BeginPosY INTEGER NOT NULL CHECK (typeof(BeginPosY) IN ('integer')),
    EndPosX INTEGER NOT NULL CHECK (typeof(EndPosX) IN ('integer')),
    EndPosY INTEGER NOT NULL CHECK (typeof(EndPosY) IN ('integer')),
    LineSize INTEGER NOT NULL CHECK (typeof(LineSize) IN ('integer')),
    LineColor INTEGER NOT NULL CHECK (typeof(LineColor) IN ('integer'))
);
CREATE INDEX RIS_ImageProcessArrowInfo_Image ON RIS_ImageProcessArrowInfo (ImageID);

CREATE TABLE Ris_ImageMeasureInfo (
    SERIALNO INTEGER PRIMARY KEY AUTOINCREMENT,
    ImageID INTEGER NOT NULL CHECK (typeof(ImageID) IN ('integer')),
    EditTime DATETIME,
    BeginPosX INTEGER NOT NULL CHECK (typeof(BeginPosX) IN ('integer')),
    BeginPosY INTEGER NOT NULL CHECK (typeof(BeginPosY) IN ('integer')),
    EndPosX INTEGER NOT NULL CHECK (typeof(EndPosX) IN ('integer')),
    EndPosY INTEGER NOT NULL CHECK (typeof(EndPosY) IN ('integer')),
    MeasureValue FLOAT NOT NULL DEFAULT 0 CHECK (typeof(MeasureValue) IN ('real', 'integer')),
    iType INTEGER NOT NULL CHECK (typeof(iType) IN ('integer')),
    Memo VARCHAR(64) COLLATE NOCASE
);
CREATE INDEX Ris_ImageMeasureInfo_Image ON Ris_ImageMeasureInfo (ImageID);

CREATE TABLE Kx_SerialCounter (
    Name VARCHAR(64) COLLATE NOCASE PRIMARY KEY,
    NextValue INTEGER NOT NULL
);

CREATE TABLE Kx_Setting (
    Section VARCHAR(128) COLLATE NOCASE NOT NULL,
    Key VARCHAR(128) COLLATE NOCASE NOT NULL,
    Value TEXT NOT NULL,
    PRIMARY KEY (Section, Key)
);

CREATE TABLE Kx_User (
    UserID VARCHAR(32) COLLATE NOCASE PRIMARY KEY,
    UserName VARCHAR(64) NOT NULL DEFAULT ''
);

CREATE TABLE Kx_UserRight (
    SysCode VARCHAR(32) COLLATE NOCASE NOT NULL,
    Module VARCHAR(64) COLLATE NOCASE NOT NULL,
    UserID VARCHAR(32) COLLATE NOCASE NOT NULL,
    RightName VARCHAR(64) COLLATE NOCASE NOT NULL,
    Value INTEGER NOT NULL,
    PRIMARY KEY (SysCode, Module, UserID, RightName)
);
)sql";

// Migrations[v - 1] brings a database from version v - 1 to v.
const char* const Migrations[] = {Version1};
static_assert(sizeof(Migrations) / sizeof(Migrations[0]) == CurrentVersion);

bool hasVersionTable(sqlite3* db) {
    auto st = sqlite::Statement::prepare(
        db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Kx_SchemaVersion'");
    if (!st)
        return false;
    auto row = st.value().step();
    return row && *row;
}

}  // namespace

Result<int> version(sqlite3* db) {
    if (!hasVersionTable(db))
        return 0;
    auto st = sqlite::Statement::prepare(db, "SELECT Version FROM Kx_SchemaVersion");
    if (!st)
        return st.status();
    auto row = st.value().step();
    if (!row)
        return row.status();
    return *row ? static_cast<int>(st.value().integer(0)) : 0;
}

Status ensure(sqlite3* db) {
    // Under the write lock, so two programs opening a new file at once don't both create it.
    auto scope = sqlite::AtomicScope::begin(db);
    if (!scope)
        return scope.status();
    if (Status s = sqlite::execute(
            db, "CREATE TABLE IF NOT EXISTS Kx_SchemaVersion (Version INTEGER NOT NULL)");
        !s)
        return s;
    auto current = version(db);
    if (!current)
        return current.status();
    if (*current > CurrentVersion)
        return Status::failure("the database has schema version " + std::to_string(*current) +
                               ", newer than this program's " + std::to_string(CurrentVersion));
    if (*current == CurrentVersion)
        return scope.value().commit();
    for (int v = *current + 1; v <= CurrentVersion; ++v) {
        if (Status s = sqlite::execute(db, Migrations[v - 1]); !s)
            return Status::failure("cannot bring the schema to version " + std::to_string(v) +
                                   ": " + s.message());
    }
    if (Status s = sqlite::execute(db, "DELETE FROM Kx_SchemaVersion"); !s)
        return s;
    auto st = sqlite::Statement::prepare(db, "INSERT INTO Kx_SchemaVersion (Version) VALUES (?1)");
    if (!st)
        return st.status();
    st.value().bind(1, static_cast<int64_t>(CurrentVersion));
    if (Status s = st.value().run(); !s)
        return s;
    return scope.value().commit();
}

}  // namespace kadrix::workstation::schema
