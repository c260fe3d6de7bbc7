// The two shapes of an image: the thumbnail lists' entry `TImageItemInfo`, and the archive
// server's 39-slot description `TImageInfo` with the list `TImageInfoList` a query returns.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kadrix/platform/variant.h"

namespace kadrix::clinical {

// One entry of a thumbnail list; a plain value copied in and out of the lists.
struct TImageItemInfo {
    std::string FileName;  // the key entries are found by
    std::string ShowFile;  // what is drawn: the file, a DICOM bitmap or a video thumbnail
    int32_t ListTag = 0;
    bool IsPrint = false;
    bool IsSave = false;
    int32_t Saved = 0;  // 1 = stored and registered
    bool StoredPrint = false;
    int32_t ImageID = 0;  // -1 after a failed store
    std::string ImageUID;
    int32_t Extra1 = 0;
    std::string Extra2;  // "S": a sketch image, edited in the outside program
    std::string Caption;
    bool IsShape = false;
    int32_t PosColor = 0;
    int32_t PosX = 0, PosY = 0;
    int32_t PosXE = 0, PosYE = 0;
    bool MarkChanged = false;
    bool Selected = false;
    int32_t PrintNo = 0;
};

// A construction failure of a description or a list; the message is the user's text.
class ImageInfoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* IncompleteImageInfoText = "图像信息不全！";

// Slots whose meaning the module uses; the others belong to the archive server.
namespace image_slot {
inline constexpr int TechNo = 2;
inline constexpr int HospNo = 3;
inline constexpr int PatName = 4;
inline constexpr int Birthday = 6;
inline constexpr int Sex = 7;
inline constexpr int Age = 8;
inline constexpr int ApplyNo = 9;
inline constexpr int StudyKey = 11;
inline constexpr int SeriesKey = 15;
inline constexpr int Modality = 16;
inline constexpr int ImageUID = 24;
inline constexpr int File = 26;
inline constexpr int FileType = 31;
inline constexpr int ImageID = 34;
inline constexpr int Kind = 35;
inline constexpr int Count = 39;
// A description from the server needs every slot up to 37.
inline constexpr int MinimumCount = 38;
}  // namespace image_slot

// Kind 3 is accepted whatever the file's extension.
inline constexpr int32_t AlwaysAcceptedKind = 3;

class TImageInfo {
  public:
    // Every slot at its default, in slot order: dates from the archive's fault date, the
    // creation date today, numbers -1, texts empty; slot 38 stays unset.
    TImageInfo();
    // Keeps a copy of a description; fewer than 38 slots raises ImageInfoError("图像信息不全！").
    explicit TImageInfo(const platform::Variant& data);

    // Slots 0 to 37. Setters turn a null (or empty) value into the slot's blank: the empty
    // text, -1 for the counters and the image id, 0 for slot 27; slot 35 takes what it gets.
    // The date slots 6, 13, 21 and 25 store the value's text as an eight-digit date.
    const platform::Variant& get(int slot) const;
    void set(int slot, const platform::Variant& value);

    // A copy of the whole array: the request or query value.
    platform::VariantArray data() const { return slots_; }

    static bool isDateSlot(int slot);

  private:
    platform::Variant& at(int slot);
    platform::VariantArray slots_;
};

// By the image id of slot 34, ascending: 1 when a's is greater, -1 when smaller, else 0.
int compareByImageId(const TImageInfo& a, const TImageInfo& b);

class TImageInfoList {
  public:
    using Comparison = std::function<int(const TImageInfo&, const TImageInfo&)>;

    void add(TImageInfo info) { items_.push_back(std::move(info)); }
    const TImageInfo& get(int index) const;
    int count() const { return static_cast<int>(items_.size()); }
    void clear() { items_.clear(); }
    // Stable: descriptions that compare equal keep their order.
    void sort(const Comparison& compare);

    // A query result: element 0 the header [version, value], each further element a
    // description. Anything but a one-dimensional array raises ImageInfoError("Invalid Data,
    // Dimension:<n>"); a short header or description raises "图像信息不全！". The list is
    // cleared first and stays empty after a failure.
    void loadFromData(const platform::Variant& data);

    const std::string& version() const { return version_; }
    int32_t headerValue() const { return headerValue_; }

  private:
    std::vector<TImageInfo> items_;
    std::string version_ = "1.0";
    int32_t headerValue_ = 3;
};

}  // namespace kadrix::clinical
