#include "FormsTest.h"

#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/drawing/Surface.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "shell/frmMain.h"

namespace skwtest {

namespace {
constexpr double kTwipsPerPixel = 15;
const QString kPrefsApplication = QStringLiteral("Skerrywind");
const QString kPrefsSection = QStringLiteral("Prefs");
}  // namespace

void UseRecordingForms(std::function<void()> lastFormAction)
{
    RecordingBrowser::Install();
    platform::SetTwipsPerPixelOverride(kTwipsPerPixel);
    platform::FormRegistry::SetLastFormAction(std::move(lastFormAction));
}

void FormsTest::init()
{
    UseRecordingForms([this] { ++lastFormActions; });
    if (browser_ == Browser::Engine)
        RecordingBrowser::Uninstall();
    lastFormActions = 0;
    FreshUserFolders();
    ClearBoxes();
    platform::SetCommandLineArguments({});
}

void FormsTest::cleanup()
{
    UnloadForms<frmMain>();
    if (boxes_ == MessageBoxes::AreFaults)
        QVERIFY(Boxes().empty());
}

void StorePref(const QString& key, const QString& value)
{
    platform::SaveSetting(kPrefsApplication, kPrefsSection, key, value);
}

QString StoredPref(const QString& key)
{
    return platform::GetSetting(kPrefsApplication, kPrefsSection, key, QStringLiteral("(none)"));
}

QString PanelText(int index)
{
    return platform::Forms<frmMain>().StatusBar->Panels(index).Text();
}

QRgb ImagePixel(platform::Form& form, int x, int y)
{
    return form.hDC().Image().pixel(x, y) & 0xFFFFFF;
}

QRgb Rgb(platform::OLE_COLOR colour)
{
    return platform::TranslateColor(colour).rgb() & 0xFFFFFF;
}

}  // namespace skwtest
