#include "settings/mdlGlobals.h"

#include "platform/system/AppError.h"
#include "platform/system/Settings.h"

#include <QLocale>

#include <cmath>

namespace mdlGlobals {

namespace {
const QString kApplication = QStringLiteral("Skerrywind");
const QString kSection = QStringLiteral("Prefs");
const QString kHomepage = QStringLiteral("Default Homepage");
const QString kSearchPage = QStringLiteral("Default SearchPage");
const QString kShowToolbar = QStringLiteral("Show Toolbar");

// LoadPrefs has read the preferences since SavePrefs last wrote them: until
// then what is in memory are defaults or what was written already.
bool bPrefsRead = false;

bool hasDigit(const QString& text)
{
    for (const QChar c : text)
        if (c.isDigit())
            return true;
    return false;
}
}  // namespace

QString strHomepage;
QString strSearchPage;
bool bShowToolbar = false;

QString GetHomepage()
{
    return platform::GetSetting(kApplication, kSection, kHomepage, QString());
}

void SaveHomepage(const QString& text)
{
    platform::SaveSetting(kApplication, kSection, kHomepage, text);
}

QString GetSearchPage()
{
    return platform::GetSetting(kApplication, kSection, kSearchPage, QString());
}

void SaveSearchPage(const QString& text)
{
    platform::SaveSetting(kApplication, kSection, kSearchPage, text);
}

bool GetShowToolbar()
{
    return ShowToolbarValue(platform::GetSetting(kApplication, kSection, kShowToolbar, QStringLiteral("True")));
}

void SaveShowToolbar(bool value)
{
    platform::SaveSetting(kApplication, kSection, kShowToolbar, ShowToolbarText(value));
}

void LoadPrefs()
{
    strHomepage = GetHomepage();
    strSearchPage = GetSearchPage();
    // Read, also when "Show Toolbar" cannot be: the next save makes it clean.
    bPrefsRead = true;
    bShowToolbar = GetShowToolbar();
}

void SavePrefs()
{
    // Before they were read, writing the defaults would replace what the user
    // stored (a window closed early in its start-up).
    if (!bPrefsRead)
        return;
    SaveHomepage(strHomepage);
    SaveSearchPage(strSearchPage);
    SaveShowToolbar(bShowToolbar);
    bPrefsRead = false;
}

QString ShowToolbarText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool ShowToolbarValue(const QString& text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    // A number: surrounding blanks allowed, as in "1" or " 0.0 "; words such
    // as "nan" or "inf" are no numbers.
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !hasDigit(text) || !std::isfinite(number))
        platform::Raise(platform::errTypeMismatch);
    return number != 0.0;
}

}  // namespace mdlGlobals
