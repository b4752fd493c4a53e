#pragma once
// Whether the page's own content (its headings, links, form fields) reaches
// assistive tools. The engine builds a page's accessibility tree only while
// it is asked to, since that costs start-up time and memory; the program asks
// it to while the desktop says that an assistive technology runs: the status
// on the session bus (org.a11y.Status, IsEnabled or ScreenReaderEnabled),
// read once at start and followed as it changes.
//
// Integration: the start-up environment decides whether the program follows
// the desktop at all (a user's explicit setting of the engine's switch wins,
// see StartupEnvironment.h); main() then calls FollowDesktop() once the
// application object exists, and the engine's profile calls EngineStarted()
// as soon as the engine runs, before its first page.
#include <QAccessible>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace platform {

class PageAccessibility : public QObject, public QAccessible::ActivationObserver {
    Q_OBJECT
public:
    // Reads the desktop's status (without starting the desktop's
    // accessibility service when it is not running) and follows it from now on.
    static void FollowDesktop();
    // The engine is running: its page accessibility is set to the desktop's.
    static void EngineStarted();
    // Whether the desktop says an assistive technology runs; false while the
    // program does not follow the desktop.
    static bool Wanted();

    void accessibilityActiveChanged(bool active) override;

private slots:
    void propertiesChanged(const QString& interfaceName, const QVariantMap& changed, const QStringList& invalidated);

private:
    PageAccessibility();
    ~PageAccessibility() override;
    static PageAccessibility* instance_;

    void readStatus();
    void apply();

    bool isEnabled_ = false;
    bool screenReaderEnabled_ = false;
    bool engineStarted_ = false;
    // What the engine was last told: every activation change reaches it too.
    bool engineOn_ = false;
};

}  // namespace platform
