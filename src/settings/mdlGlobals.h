#pragma once
// The three user preferences, program-wide, and their place in the settings
// store (application "Skerrywind", section "Prefs").
#include <QString>

namespace mdlGlobals {

extern QString strHomepage;
extern QString strSearchPage;
extern bool bShowToolbar;

QString GetHomepage();
void SaveHomepage(const QString& text);
QString GetSearchPage();
void SaveSearchPage(const QString& text);
bool GetShowToolbar();
void SaveShowToolbar(bool value);

void LoadPrefs();
// Writes the three preferences once for every LoadPrefs that read them:
// without a read since the last write (a main window closed before its
// start-up read them) it leaves the store as it is.
void SavePrefs();

// The stored form of "Show Toolbar": "True" or "False" when written; when read,
// "True"/"False" in any letter case, or a number (zero false, else true).
// Any other text raises error 13 "Type mismatch".
QString ShowToolbarText(bool value);
bool ShowToolbarValue(const QString& text);

}  // namespace mdlGlobals
