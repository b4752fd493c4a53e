// The value of a stored placement text: any input gives a 32-bit value or
// error 6, trailing garbage never changes the value, and plain integers read
// as themselves.
#include "platform/system/AppError.h"
#include "settings/MReg.h"

#include <QRegularExpression>

#include <cstdlib>

namespace {
// 0 and the value, or 1 when it overflowed.
std::pair<int, int32_t> valueOf(const QString& text)
{
    try {
        return {0, MReg::PlacementValue(text)};
    } catch (const platform::AppError& e) {
        if (e.Number() != platform::errOverflow)
            std::abort();
        return {1, 0};
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = valueOf(text);
    if (valueOf(text + QStringLiteral("px;garbage")) != result)
        std::abort();
    static const QRegularExpression plainInteger(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    if (plainInteger.match(text).hasMatch() && result != std::pair<int, int32_t>{0, text.toInt()})
        std::abort();
    return 0;
}
