#include "settings/MReg.h"

#include "diagnostics/MErrs.h"
#include "platform/forms/Forms.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"

#include <QSet>

#include <charconv>
#include <cmath>
#include <string>

namespace MReg {

namespace {
// Not a slip for "Skerrywind": the placements have always been stored under this name (Skerwind32.ini).
const QString kAppName = QStringLiteral("Skerwind32");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");

// Far beyond any 32-bit value, and far below any fraction that could round
// away from zero: exponents are only followed that far.
constexpr long long kExponentLimit = 1'000'000'000;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The forms whose stored placement RegLoadFormPos has applied since their
// placement was last written.
QSet<QString>& placementsRead()
{
    static QSet<QString> names;
    return names;
}
}  // namespace

int32_t PlacementValue(const QString& sValue)
{
    const qsizetype n = sValue.size();
    qsizetype i = 0;
    while (i < n && (sValue[i] == u' ' || sValue[i] == u'\t'))
        ++i;

    // The leading numeric part, copied as plain ASCII for the conversion.
    std::string number;
    bool negative = false;
    if (i < n && (sValue[i] == u'+' || sValue[i] == u'-')) {
        negative = sValue[i] == u'-';
        ++i;
    }
    // The decimal order of the first significant digit, so that a value too
    // large or too small for a double is still told apart.
    long long order = 0;
    bool significant = false;
    bool anyDigit = false;
    for (; i < n && isDigit(sValue[i]); ++i) {
        anyDigit = true;
        significant = significant || sValue[i] != u'0';
        if (significant) {
            number += char(sValue[i].unicode());
            ++order;
        }
    }
    if (number.empty())
        number += '0';
    if (i < n && sValue[i] == u'.') {
        number += '.';
        for (++i; i < n && isDigit(sValue[i]); ++i) {
            anyDigit = true;
            if (!significant && sValue[i] == u'0')
                --order;
            significant = significant || sValue[i] != u'0';
            number += char(sValue[i].unicode());
        }
    }
    if (!anyDigit || !significant)
        return 0;

    // An exponent counts only with at least one digit after the letter and
    // its sign; otherwise the letter is the first thing ignored.
    long long exponent = 0;
    if (i < n && (sValue[i] == u'e' || sValue[i] == u'E')) {
        qsizetype j = i + 1;
        bool negativeExponent = false;
        if (j < n && (sValue[j] == u'+' || sValue[j] == u'-')) {
            negativeExponent = sValue[j] == u'-';
            ++j;
        }
        if (j < n && isDigit(sValue[j])) {
            for (; j < n && isDigit(sValue[j]); ++j)
                exponent = std::min(kExponentLimit, exponent * 10 + (sValue[j].unicode() - u'0'));
            if (negativeExponent)
                exponent = -exponent;
        }
    }

    order += exponent;
    if (order > 10)  // at least 1e10: no 32-bit integer
        platform::Raise(platform::errOverflow);
    if (order < -1)  // below 0.01: rounds to zero
        return 0;

    number += 'e';
    number += std::to_string(exponent);
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec != std::errc())
        platform::Raise(platform::errOverflow);
    return platform::CLng(negative ? -value : value);
}

QString PlacementText(float fValue)
{
    if (fValue == 0)
        return QStringLiteral("0");  // also for -0
    char buffer[64];
    const bool whole = std::isfinite(fValue) && std::trunc(fValue) == fValue;
    const auto result = whole ? std::to_chars(buffer, buffer + sizeof buffer, fValue, std::chars_format::fixed)
                              : std::to_chars(buffer, buffer + sizeof buffer, fValue);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

void RegSaveFormPos(platform::Form& frm, bool bSaveSize)
{
    // Before its stored placement was applied, the form stands where it was
    // made: writing that would replace what the user left.
    if (!placementsRead().contains(frm.Name()))
        return;
    try {
        platform::SaveSetting(kAppName, frm.Name(), kLeft, PlacementText(frm.Left()));
        platform::SaveSetting(kAppName, frm.Name(), kTop, PlacementText(frm.Top()));
        if (bSaveSize) {
            platform::SaveSetting(kAppName, frm.Name(), kWidth, PlacementText(frm.Width()));
            platform::SaveSetting(kAppName, frm.Name(), kHeight, PlacementText(frm.Height()));
        }
        placementsRead().remove(frm.Name());
    } catch (...) {
        MErrs::ReportError(QStringLiteral("MReg"), QStringLiteral("RegSaveFormPos"), platform::Err().Number);
    }
}

void RegLoadFormPos(platform::Form& frm)
{
    try {
        const QString sLeft = platform::GetSetting(kAppName, frm.Name(), kLeft, QString());
        const QString sTop = platform::GetSetting(kAppName, frm.Name(), kTop, QString());
        const QString sWidth = platform::GetSetting(kAppName, frm.Name(), kWidth, QString());
        const QString sHeight = platform::GetSetting(kAppName, frm.Name(), kHeight, QString());

        if (!sLeft.isEmpty())
            frm.SetLeft(float(PlacementValue(sLeft)));
        if (!sTop.isEmpty())
            frm.SetTop(float(PlacementValue(sTop)));
        if (!sWidth.isEmpty())
            frm.SetWidth(float(PlacementValue(sWidth)));
        if (!sHeight.isEmpty())
            frm.SetHeight(float(PlacementValue(sHeight)));
    } catch (...) {
        MErrs::ReportError(QStringLiteral("MReg"), QStringLiteral("RegLoadFormPos"), platform::Err().Number);
    }
    // Applied, as far as it could be: from now on the form's place is the
    // user's, and closing it stores it (unless it closed meanwhile, while the
    // report was open).
    if (frm.Loaded())
        placementsRead().insert(frm.Name());
}

}  // namespace MReg
