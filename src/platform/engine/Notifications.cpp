#include "platform/engine/Notifications.h"

#include "platform/system/ReadableText.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QWebEngineNotification>
#include <QWebEngineProfile>

#include <utility>

namespace platform {

namespace {
const QString kAppName = QStringLiteral("Skerrywind");
const QString kOpenLabel = QStringLiteral("Open");
// The service decides how long a notification stays.
constexpr int kServerTimeout = -1;
// What a service that reads markup in a notification's text announces.
const QString kBodyMarkup = QStringLiteral("body-markup");

QDBusMessage call(const QString& method)
{
    return QDBusMessage::createMethodCall(QLatin1String(Notifications::service), QLatin1String(Notifications::path),
                                          QLatin1String(Notifications::interface), method);
}
}  // namespace

Notifications::Notifications(QObject* parent) : QObject(parent) {}

Notifications::~Notifications() = default;

void Notifications::install(QWebEngineProfile* profile)
{
    QPointer<Notifications> self(this);
    profile->setNotificationPresenter([self](std::unique_ptr<QWebEngineNotification> notification) {
        if (self)
            self->present(std::move(notification));
    });
}

QString Notifications::summaryText(const QString& title)
{
    // One line.
    return ReadableText(title, maxTitleChars);
}

QString Notifications::bodyText(const QString& text, bool markup)
{
    const QString body = BoundedText(text, maxTextChars);
    // A service that reads markup sees the page's characters as text: "&",
    // "<", ">" and the quote escaped (it reads &quot; back as a quote).
    return markup ? body.toHtmlEscaped() : body;
}

void Notifications::present(std::unique_ptr<QWebEngineNotification> notification)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit unshown(notification->title());
        return;
    }
    if (markup_ == Markup::Unknown) {
        // What the service does with markup is asked once; its answer lets
        // this notification and those after it go.
        markup_ = Markup::Asking;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
            watcher->deleteLater();
            const QDBusPendingReply<QStringList> reply = *watcher;
            // No answer: the next notification asks again; those waiting now
            // go escaped, which is safe whatever the service does.
            if (reply.isError())
                markup_ = Markup::Unknown;
            else
                markup_ = reply.value().contains(kBodyMarkup) ? Markup::Body : Markup::Plain;
            for (auto& waiting : std::exchange(waiting_, {}))
                notify(std::move(waiting));
        });
    }
    if (markup_ == Markup::Asking) {
        // A page that floods the desktop meanwhile keeps only its latest.
        if (waiting_.size() >= maxShown) {
            waiting_.front()->close();
            waiting_.erase(waiting_.begin());
        }
        waiting_.push_back(std::move(notification));
    } else {
        notify(std::move(notification));
    }
}

void Notifications::notify(std::unique_ptr<QWebEngineNotification> notification)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!listening_) {
        bus.connect(QLatin1String(service), QLatin1String(path), QLatin1String(interface),
                    QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
        bus.connect(QLatin1String(service), QLatin1String(path), QLatin1String(interface),
                    QStringLiteral("NotificationClosed"), this, SLOT(onNotificationClosed(uint, uint)));
        listening_ = true;
    }
    // A notification with the tag of one still shown takes its place.
    uint replaces = 0;
    for (const auto& [id, old] : shown_) {
        if (old->matches(notification.get()))
            replaces = id;
    }
    QDBusMessage message = call(QStringLiteral("Notify"));
    message << kAppName << replaces << QString() << summaryText(notification->title())
            << bodyText(notification->message(), markup_ != Markup::Plain)
            << QStringList{QLatin1String(defaultAction), kOpenLabel} << QVariantMap() << kServerTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    // The notification waits in the watcher for the service's answer.
    auto* pending = notification.release();
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, pending] {
        std::unique_ptr<QWebEngineNotification> notification(pending);
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError())
            emit unshown(notification->title());
        else
            shown(reply.value(), std::move(notification));
    });
}

void Notifications::shown(uint id, std::unique_ptr<QWebEngineNotification> notification)
{
    QWebEngineNotification* page = notification.get();
    connect(page, &QWebEngineNotification::closed, this, [this, page] { closedByPage(page); });
    page->show();
    shown_[id] = std::move(notification);
    // Ids grow: the oldest has the smallest.
    if (shown_.size() > maxShown)
        forget(shown_.begin());
}

void Notifications::closedByPage(const QWebEngineNotification* notification)
{
    for (auto it = shown_.begin(); it != shown_.end(); ++it) {
        if (it->second.get() != notification)
            continue;
        QDBusMessage message = call(QStringLiteral("CloseNotification"));
        message << it->first;
        QDBusConnection::sessionBus().asyncCall(message);
        // Not deleted here: the notification is emitting this.
        it->second.release()->deleteLater();
        shown_.erase(it);
        return;
    }
}

void Notifications::onActionInvoked(uint id, const QString& action)
{
    const auto it = shown_.find(id);
    if (it == shown_.end() || action != QLatin1String(defaultAction))
        return;
    it->second->click();
    emit clicked();
}

void Notifications::onNotificationClosed(uint id, uint reason)
{
    (void)reason;
    const auto it = shown_.find(id);
    if (it != shown_.end())
        forget(it);
}

void Notifications::forget(std::map<uint, std::unique_ptr<QWebEngineNotification>>::iterator it)
{
    // Out of the list before the page hears of it: its answer finds nothing.
    std::unique_ptr<QWebEngineNotification> notification = std::move(it->second);
    shown_.erase(it);
    notification->close();
}

}  // namespace platform
