#pragma once
// A page's notifications on the desktop: each is sent to the desktop's
// notification service (org.freedesktop.Notifications on the session bus)
// with the page's title and text, as plain text of bounded length: the text
// is escaped for a service that reads markup in it, so that a page's "<a>",
// "<img>" or "&" show as written. A click on one tells the page and raises
// clicked(); when the desktop or the page closes one, the other side learns
// it. Without a notification service unshown() hands the title on instead.
// Nothing waits for the bus: every call is asynchronous.
//
// Integration: the browser host keeps one, installs it as its profile's
// notification presenter (install()), shows unshown() titles in its status
// text and brings its window forward on clicked().
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QWebEngineNotification;
class QWebEngineProfile;

namespace platform {

class Notifications : public QObject {
    Q_OBJECT
public:
    explicit Notifications(QObject* parent = nullptr);
    ~Notifications() override;

    // Makes this object the presenter of the profile's notifications.
    void install(QWebEngineProfile* profile);
    // Shows a notification; it is kept until it is closed on either side.
    void present(std::unique_ptr<QWebEngineNotification> notification);

    static constexpr const char* service = "org.freedesktop.Notifications";
    static constexpr const char* path = "/org/freedesktop/Notifications";
    static constexpr const char* interface = "org.freedesktop.Notifications";
    // The action a click on the notification's body invokes.
    static constexpr const char* defaultAction = "default";
    // At most this many are kept; the oldest goes first.
    static constexpr std::size_t maxShown = 64;
    // The longest title and text sent; the rest is cut off with an ellipsis.
    static constexpr int maxTitleChars = 200;
    static constexpr int maxTextChars = 1000;

    // A page's title and text as the service is sent them: bounded, the
    // text escaped when the service reads markup in it (the title is plain
    // text to every service).
    static QString summaryText(const QString& title);
    static QString bodyText(const QString& text, bool markup);

signals:
    void unshown(const QString& title);
    void clicked();

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    void notify(std::unique_ptr<QWebEngineNotification> notification);
    void shown(uint id, std::unique_ptr<QWebEngineNotification> notification);
    void closedByPage(const QWebEngineNotification* notification);
    // Drops a notification and tells its page it was closed.
    void forget(std::map<uint, std::unique_ptr<QWebEngineNotification>>::iterator it);

    bool listening_ = false;
    // Whether the service reads markup in a notification's text; asked once,
    // and what comes meanwhile waits for the answer. Unless the service said
    // it reads none, the text goes escaped.
    enum class Markup { Unknown, Asking, Plain, Body };
    Markup markup_ = Markup::Unknown;
    std::vector<std::unique_ptr<QWebEngineNotification>> waiting_;
    // By the service's id, in the order shown.
    std::map<uint, std::unique_ptr<QWebEngineNotification>> shown_;
};

}  // namespace platform
