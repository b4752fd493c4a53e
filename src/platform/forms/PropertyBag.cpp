#include "platform/forms/PropertyBag.h"

#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"

#include <limits>

namespace platform {

namespace {
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for compilers without deduction for aggregates (clang 14).
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The number a stored value stands for, as the runtime coerces it.
double numberOf(const std::variant<QString, bool, int16_t, int32_t, OLE_COLOR>& value)
{
    return std::visit(Overloaded{
                          [](const QString& text) {
                              if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                                  return -1.0;
                              if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                                  return 0.0;
                              bool ok = false;
                              const double number = text.trimmed().toDouble(&ok);
                              if (!ok)
                                  Raise(errTypeMismatch);
                              return number;
                          },
                          [](bool flag) { return flag ? -1.0 : 0.0; },
                          [](int16_t number) { return double(number); },
                          [](int32_t number) { return double(number); },
                          [](OLE_COLOR color) { return double(static_cast<int32_t>(color)); },
                      },
                      value);
}
}  // namespace

QString PropertyValue::ToString() const
{
    return std::visit(Overloaded{
                          [](const QString& text) { return text; },
                          [](bool flag) { return flag ? QStringLiteral("True") : QStringLiteral("False"); },
                          [](int16_t number) { return QString::number(number); },
                          [](int32_t number) { return QString::number(number); },
                          [](OLE_COLOR color) { return QString::number(static_cast<int32_t>(color)); },
                      },
                      value_);
}

bool PropertyValue::ToBoolean() const
{
    return numberOf(value_) != 0;
}

int16_t PropertyValue::ToInteger() const
{
    const int32_t number = ToLong();
    if (number < std::numeric_limits<int16_t>::min() || number > std::numeric_limits<int16_t>::max())
        Raise(errOverflow);
    return static_cast<int16_t>(number);
}

int32_t PropertyValue::ToLong() const
{
    return CLng(numberOf(value_));
}

OLE_COLOR PropertyValue::ToOleColor() const
{
    if (const auto* color = std::get_if<OLE_COLOR>(&value_))
        return *color;
    return static_cast<OLE_COLOR>(ToLong());
}

PropertyBag::PropertyBag(std::initializer_list<std::pair<QString, PropertyValue>> entries)
{
    for (const auto& [name, value] : entries)
        WriteProperty(name, value);
}

const PropertyValue* PropertyBag::find(const QString& name) const
{
    for (const auto& [key, value] : entries_) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

PropertyValue PropertyBag::ReadProperty(const QString& name, const PropertyValue& defaultValue) const
{
    const PropertyValue* stored = find(name);
    return stored ? *stored : defaultValue;
}

void PropertyBag::WriteProperty(const QString& name, const PropertyValue& value)
{
    for (auto& [key, stored] : entries_) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            stored = value;
            return;
        }
    }
    entries_.emplace_back(name, value);
}

bool PropertyBag::Contains(const QString& name) const
{
    return find(name) != nullptr;
}

}  // namespace platform
