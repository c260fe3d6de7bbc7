#include "storage/ImageInfo_u.h"

#include <algorithm>
#include <cassert>

#include "storage/DateStamps.h"
#include "storage/FaultDate.h"

namespace kadrix::clinical {

using platform::Variant;
using platform::VariantArray;

namespace {

enum class SlotKind { Text, Date, Number, SmallNumber, AsGiven };

SlotKind kindOf(int slot) {
    switch (slot) {
        case 6:
        case 13:
        case 21:
        case 25:
            return SlotKind::Date;
        case 14:
        case 22:
        case 23:
        case 28:
        case 32:
        case 33:
        case 34:
            return SlotKind::Number;
        case 27:
            return SlotKind::SmallNumber;
        case 35:
            return SlotKind::AsGiven;
        default:
            return SlotKind::Text;
    }
}

bool isBlankValue(const Variant& v) {
    return v.deref().isNull() || v.deref().isEmpty();
}

// A description as the server sends it: one dimension, every slot up to 37.
bool isComplete(const Variant& data) {
    const Variant& v = data.deref();
    return v.isArray() && v.array().dimensions() == 1 &&
           static_cast<int>(v.array().size()) >= image_slot::MinimumCount;
}

}  // namespace

TImageInfo::TImageInfo() : slots_(VariantArray::oneDimension(0, image_slot::Count)) {
    const std::string& fault = faultDate();
    for (int slot = 0; slot < image_slot::MinimumCount; ++slot) {
        switch (kindOf(slot)) {
            case SlotKind::Date:
                set(slot,
                    slot == 25 ? Variant(ymdStamp(platform::currentDateTime())) : Variant(fault));
                break;
            case SlotKind::Text:
                set(slot, slot == image_slot::ApplyNo ? Variant(-1) : Variant(""));
                break;
            default:
                set(slot, Variant(-1));
                break;
        }
    }
}

TImageInfo::TImageInfo(const Variant& data) {
    if (!isComplete(data))
        throw ImageInfoError(IncompleteImageInfoText);
    slots_ = data.deref().array();
}

bool TImageInfo::isDateSlot(int slot) {
    return kindOf(slot) == SlotKind::Date;
}

Variant& TImageInfo::at(int slot) {
    assert(slot >= 0 && slot < image_slot::MinimumCount);
    return slots_.at(slots_.bound(1).low + slot);
}

const Variant& TImageInfo::get(int slot) const {
    assert(slot >= 0 && slot < image_slot::MinimumCount);
    return slots_.at(slots_.bound(1).low + slot);
}

void TImageInfo::set(int slot, const Variant& value) {
    Variant& target = at(slot);
    const Variant& v = value.deref();
    switch (kindOf(slot)) {
        case SlotKind::Date:
            target = Variant(normaliseDateText(v.toText()));
            break;
        case SlotKind::Text:
            target = isBlankValue(v) ? Variant("") : v;
            break;
        case SlotKind::Number:
            target = isBlankValue(v) ? Variant(-1) : v;
            break;
        case SlotKind::SmallNumber:
            target = isBlankValue(v) ? Variant(0) : v;
            break;
        case SlotKind::AsGiven:
            target = v;
            break;
    }
}

int compareByImageId(const TImageInfo& a, const TImageInfo& b) {
    const double x = a.get(image_slot::ImageID).toDouble();
    const double y = b.get(image_slot::ImageID).toDouble();
    return x > y ? 1 : x < y ? -1 : 0;
}

const TImageInfo& TImageInfoList::get(int index) const {
    assert(index >= 0 && index < count());
    return items_[static_cast<size_t>(index)];
}

void TImageInfoList::sort(const Comparison& compare) {
    std::stable_sort(items_.begin(), items_.end(),
                     [&](const TImageInfo& a, const TImageInfo& b) { return compare(a, b) < 0; });
}

void TImageInfoList::loadFromData(const Variant& data) {
    clear();
    const Variant& v = data.deref();
    const int dimensions = v.isArray() ? v.array().dimensions() : 0;
    if (dimensions != 1)
        throw ImageInfoError("Invalid Data, Dimension:" + std::to_string(dimensions));
    const VariantArray& elements = v.array();
    const VariantArray::Bound bound = elements.bound(1);
    if (bound.count < 1)
        throw ImageInfoError(IncompleteImageInfoText);

    const Variant& header = elements.at(bound.low).deref();
    if (!header.isArray() || header.array().dimensions() != 1 || header.array().size() < 2)
        throw ImageInfoError(IncompleteImageInfoText);
    const VariantArray& h = header.array();
    std::string version = h.at(h.bound(1).low).toText();
    const int32_t value = h.at(h.bound(1).low + 1).toInt();

    std::vector<TImageInfo> loaded;
    loaded.reserve(static_cast<size_t>(bound.count - 1));
    for (int32_t i = bound.low + 1; i <= bound.high(); ++i) loaded.emplace_back(elements.at(i));
    items_ = std::move(loaded);
    version_ = std::move(version);
    headerValue_ = value;
}

}  // namespace kadrix::clinical
