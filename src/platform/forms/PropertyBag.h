#pragma once
// The stored properties of a user control on its host form: typed values
// under keys that match without regard to case. Host forms keep their
// controls' stored data as literal bags.
#include "platform/drawing/OleColor.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

// One stored value: a string, a Boolean, a 16- or 32-bit integer or an OLE
// colour. Reading it as another type converts as the runtime's assignment
// does; a value that does not convert raises error 13, one out of range 6.
class PropertyValue {
public:
    PropertyValue(const QString& value) : value_(value) {}
    PropertyValue(const char* value) : value_(QString::fromUtf8(value)) {}
    PropertyValue(bool value) : value_(value) {}
    PropertyValue(int16_t value) : value_(value) {}
    PropertyValue(int32_t value) : value_(value) {}
    PropertyValue(OLE_COLOR value) : value_(value) {}

    QString ToString() const;
    // True is any non-zero number or the text "True".
    bool ToBoolean() const;
    int16_t ToInteger() const;
    int32_t ToLong() const;
    // A 32-bit value read as a colour keeps its bits (0x8000000F is stored as
    // the negative number -2147483633).
    OLE_COLOR ToOleColor() const;

    bool operator==(const PropertyValue& other) const = default;

private:
    std::variant<QString, bool, int16_t, int32_t, OLE_COLOR> value_;
};

class PropertyBag {
public:
    PropertyBag() = default;
    PropertyBag(std::initializer_list<std::pair<QString, PropertyValue>> entries);

    // The value stored under `name`, or `defaultValue` when there is none.
    PropertyValue ReadProperty(const QString& name, const PropertyValue& defaultValue) const;
    // Stores `value` under `name`, replacing a value under the same key in
    // any letter case.
    void WriteProperty(const QString& name, const PropertyValue& value);

    bool Contains(const QString& name) const;
    int Count() const { return int(entries_.size()); }

private:
    const PropertyValue* find(const QString& name) const;

    // Few keys per control: a list keeps the stored order and is cheap to scan.
    std::vector<std::pair<QString, PropertyValue>> entries_;
};

}  // namespace platform
