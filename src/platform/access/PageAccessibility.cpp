#include "platform/access/PageAccessibility.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace platform {

namespace {
const QString kA11yService = QStringLiteral("org.a11y.Bus");
const QString kA11yPath = QStringLiteral("/org/a11y/bus");
const QString kStatusInterface = QStringLiteral("org.a11y.Status");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kIsEnabled = QStringLiteral("IsEnabled");
const QString kScreenReaderEnabled = QStringLiteral("ScreenReaderEnabled");
// The service answers at once when it runs; a bus that hangs must not hold
// up the start for long.
constexpr int kStatusTimeoutMs = 1000;

QVariant unwrapped(const QVariant& value)
{
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}
}  // namespace

PageAccessibility* PageAccessibility::instance_ = nullptr;

PageAccessibility::PageAccessibility() : QObject(QCoreApplication::instance())
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Any sender: the service may start, end and start again under new names.
    bus.connect(QString(), kA11yPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    auto* watcher = new QDBusServiceWatcher(
        kA11yService, bus, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        readStatus();
        apply();
    });
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        isEnabled_ = screenReaderEnabled_ = false;
        apply();
    });
    readStatus();
    QAccessible::installActivationObserver(this);
}

PageAccessibility::~PageAccessibility()
{
    QAccessible::removeActivationObserver(this);
    instance_ = nullptr;
}

void PageAccessibility::FollowDesktop()
{
    if (!instance_)
        instance_ = new PageAccessibility();
}

void PageAccessibility::EngineStarted()
{
    if (!instance_ || instance_->engineStarted_)
        return;
    instance_->engineStarted_ = true;
    // The engine took Qt's own activation state when it started.
    instance_->engineOn_ = QAccessible::isActive();
    instance_->apply();
}

bool PageAccessibility::Wanted()
{
    return instance_ && (instance_->isEnabled_ || instance_->screenReaderEnabled_);
}

void PageAccessibility::readStatus()
{
    isEnabled_ = screenReaderEnabled_ = false;
    QDBusMessage getAll =
        QDBusMessage::createMethodCall(kA11yService, kA11yPath, kPropertiesInterface, QStringLiteral("GetAll"));
    getAll << kStatusInterface;
    // Not started for this question: with no service running, the bus
    // answers at once with an error, and the status stays off.
    getAll.setAutoStartService(false);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(getAll, QDBus::Block, kStatusTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    propertiesChanged(kStatusInterface, qdbus_cast<QVariantMap>(reply.arguments().at(0)), {});
}

void PageAccessibility::propertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                          const QStringList& invalidated)
{
    (void)invalidated;
    if (interfaceName != kStatusInterface)
        return;
    if (changed.contains(kIsEnabled))
        isEnabled_ = unwrapped(changed.value(kIsEnabled)).toBool();
    if (changed.contains(kScreenReaderEnabled))
        screenReaderEnabled_ = unwrapped(changed.value(kScreenReaderEnabled)).toBool();
    apply();
}

void PageAccessibility::accessibilityActiveChanged(bool active)
{
    engineOn_ = active;
    // Qt's own accessibility support turns itself on as the program joins
    // the desktop's accessibility bus, which does not mean that a tool
    // reads it: the engine is set back once this change has reached every
    // observer.
    if (engineStarted_ && active != Wanted())
        QMetaObject::invokeMethod(this, &PageAccessibility::apply, Qt::QueuedConnection);
}

void PageAccessibility::apply()
{
    if (!engineStarted_ || engineOn_ == Wanted())
        return;
    // Tells the activation observers, the engine's among them; Qt's own
    // accessibility support, and so what the program's windows report, stays
    // as it is.
    QAccessible::setActive(Wanted());
}

}  // namespace platform
