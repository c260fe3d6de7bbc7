#include "variant_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kadrix::workstation {
using platform::Variant;
using platform::VariantArray;

namespace {

// Each value is [kind, content]; arrays keep their bounds.
QJsonValue encode(const Variant& value) {
    const Variant& v = value.deref();
    using K = Variant::Kind;
    switch (v.kind()) {
        case K::Empty: return QJsonArray{"e"};
        case K::Null: return QJsonArray{"n"};
        case K::Bool: return QJsonArray{"b", v.toBool()};
        case K::Int: return QJsonArray{"i", v.toInt()};
        case K::Double: return QJsonArray{"d", v.toDouble()};
        case K::DateTime: return QJsonArray{"t", v.toDouble()};
        case K::Text: return QJsonArray{"s", QString::fromStdString(v.toText())};
        case K::Bytes: return QJsonArray{"x", QString::fromLatin1(QByteArray::fromStdString(v.bytesValue()).toBase64())};
        case K::Array: {
            const VariantArray& a = v.array();
            QJsonArray bounds, items;
            for (int d = 1; d <= a.dimensions(); ++d) bounds.append(QJsonArray{a.bound(d).low, a.bound(d).count});
            for (const Variant& item : a.items()) items.append(encode(item));
            return QJsonArray{"a", bounds, items};
        }
        default: return QJsonArray{"e"};  // object references are not kept
    }
}

bool decode(const QJsonValue& json, Variant& out) {
    const QJsonArray a = json.toArray();
    if (a.isEmpty()) return false;
    const QString kind = a.at(0).toString();
    if (kind == "e") out = Variant();
    else if (kind == "n") out = Variant::null();
    else if (kind == "b") out = Variant(a.at(1).toBool());
    else if (kind == "i") out = Variant(static_cast<int32_t>(a.at(1).toInteger()));
    else if (kind == "d") out = Variant(a.at(1).toDouble());
    else if (kind == "t") out = Variant::dateTime(a.at(1).toDouble());
    else if (kind == "s") out = Variant(a.at(1).toString().toStdString());
    else if (kind == "x") out = Variant::bytes(QByteArray::fromBase64(a.at(1).toString().toLatin1()).toStdString());
    else if (kind == "a") {
        const QJsonArray bounds = a.at(1).toArray();
        const QJsonArray items = a.at(2).toArray();
        VariantArray array;
        if (bounds.size() != 1 && bounds.size() != 2) return false;
        if (bounds.size() == 1) {
            array = VariantArray::oneDimension(bounds.at(0).toArray().at(0).toInt(), bounds.at(0).toArray().at(1).toInt());
        } else if (bounds.size() == 2) {
            array = VariantArray::twoDimensions({bounds.at(0).toArray().at(0).toInt(), bounds.at(0).toArray().at(1).toInt()},
                                                {bounds.at(1).toArray().at(0).toInt(), bounds.at(1).toArray().at(1).toInt()});
        }
        if (static_cast<size_t>(items.size()) != array.size()) return false;
        std::vector<Variant> values(array.size());
        for (qsizetype i = 0; i < items.size(); ++i)
            if (!decode(items.at(i), values[static_cast<size_t>(i)])) return false;
        if (array.dimensions() == 1) {
            for (size_t i = 0; i < values.size(); ++i)
                array.at(array.bound(1).low + static_cast<int32_t>(i)) = std::move(values[i]);
        } else {
            const auto rows = array.bound(1), cols = array.bound(2);
            for (int32_t r = 0; r < rows.count; ++r)
                for (int32_t c = 0; c < cols.count; ++c)
                    array.at(rows.low + r, cols.low + c) = std::move(values[static_cast<size_t>(r * cols.count + c)]);
        }
        out = Variant(std::move(array));
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string variantToJson(const Variant& value) {
    return QJsonDocument(QJsonArray{encode(value)}).toJson(QJsonDocument::Compact).toStdString();
}

platform::Result<Variant> variantFromJson(const std::string& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json));
    Variant v;
    if (!doc.isArray() || doc.array().size() != 1 || !decode(doc.array().at(0), v))
        return platform::Status::failure("damaged image description in the archive index");
    return v;
}

}  // namespace kadrix::workstation
