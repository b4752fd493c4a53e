#include "platform/engine/PageRequests.h"

#include "platform/system/CodeDepth.h"

#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QUrl>

namespace platform {

namespace {
const QString kSchemeSeparator = QStringLiteral("://");
const QString kSecureScheme = QStringLiteral("https");

// The port an address of the scheme has when it names none; -1 for a
// scheme without one.
int defaultPort(const QString& scheme)
{
    static const QHash<QString, int> ports = {
        {QStringLiteral("http"), 80}, {QStringLiteral("https"), 443}, {QStringLiteral("ws"), 80},
        {QStringLiteral("wss"), 443}, {QStringLiteral("ftp"), 21},
    };
    return ports.value(scheme, -1);
}
}  // namespace

QString OriginText(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (url.host().isEmpty())
        return scheme;
    // An IPv6 address keeps its brackets, so that the port stands apart.
    const QString host = url.host().contains(u':') ? u'[' + url.host() + u']' : url.host();
    const int port = url.port(defaultPort(scheme));
    const QString origin = scheme + kSchemeSeparator + host;
    return port == -1 ? origin : origin + u':' + QString::number(port);
}

QString SiteText(const QString& origin)
{
    const qsizetype separator = origin.indexOf(kSchemeSeparator);
    if (separator <= 0)
        return origin;
    const QString scheme = origin.left(separator);
    QString site = origin.mid(separator + kSchemeSeparator.size());
    // The port is what follows the last colon outside an IPv6 address's brackets.
    const qsizetype colon = site.lastIndexOf(u':');
    if (colon > site.lastIndexOf(u']') && site.mid(colon + 1) == QString::number(defaultPort(scheme)))
        site.truncate(colon);
    return scheme == kSecureScheme ? site : scheme + kSchemeSeparator + site;
}

void WaitForAnswer(PageRequest* request)
{
    if (!request->IsOpen())
        return;
    const QPointer<PageRequest> guard(request);
    NestedLoop nested;
    // The loop's hook may have answered it already, or taken it away.
    if (!guard || !guard->IsOpen())
        return;
    QEventLoop loop;
    QObject::connect(request, &PageRequest::Answered, &loop, &QEventLoop::quit);
    QObject::connect(request, &PageRequest::Withdrawn, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- PageRequest ----

PageRequest::PageRequest(const QString& origin, QObject* parent) : QObject(parent), origin_(origin) {}

PageRequest::~PageRequest()
{
    // Whoever waits for the answer learns that none will come.
    if (IsOpen()) {
        withdrawn_ = true;
        emit Withdrawn();
    }
}

void PageRequest::Withdraw()
{
    if (!IsOpen())
        return;
    withdrawn_ = true;
    emit Withdrawn();
}

// ---- SignInRequest ----

SignInRequest::SignInRequest(const QString& origin, const QString& realm, bool proxy, bool refused,
                             const QString& userName, QObject* parent)
    : PageRequest(origin, parent), realm_(realm), proxy_(proxy), refused_(refused), userName_(userName)
{
}

void SignInRequest::SignIn(const QString& user, const QString& password)
{
    answer([&] {
        signedIn_ = true;
        user_ = user;
        password_ = password;
    });
}

// ---- SignInMemory ----

void SignInMemory::Navigated()
{
    ++page_;
    given_.clear();
    cancelled_.clear();
}

void SignInMemory::Record(const QString& key, quint64 page, const SignInRequest& request)
{
    if (page != page_ || !request.IsAnswered())
        return;
    if (request.SignedIn())
        given_.insert(key, request.User());
    else
        cancelled_.insert(key);
}

// ---- CertificateRequest ----

CertificateRequest::CertificateRequest(const QString& origin, const QString& host, const QString& problem,
                                       bool overridable, const QString& fingerprint, QObject* parent)
    : PageRequest(origin, parent), host_(host), problem_(problem), overridable_(overridable), fingerprint_(fingerprint)
{
}

void CertificateRequest::Proceed()
{
    answer([this] { proceeding_ = overridable_; });
}

// ---- PermissionRequest ----

PermissionRequest::PermissionRequest(const QString& origin, Kind kind, QObject* parent)
    : PageRequest(origin, parent), kind_(kind)
{
}

void PermissionRequest::Grant()
{
    answer([this] { granted_ = true; });
}

// ---- FullScreenRequest ----

FullScreenRequest::FullScreenRequest(const QString& origin, bool on, QObject* parent)
    : PageRequest(origin, parent), on_(on)
{
}

void FullScreenRequest::Accept()
{
    answer([this] { accepted_ = true; });
}

// ---- PageDialogRequest ----

PageDialogRequest::PageDialogRequest(const QString& origin, Kind kind, const QString& message,
                                     const QString& defaultText, int number, QObject* parent)
    : PageRequest(origin, parent), kind_(kind), message_(message), defaultText_(defaultText), number_(number)
{
}

void PageDialogRequest::Accept(const QString& text)
{
    answer([&] {
        accepted_ = true;
        text_ = text;
    });
}

void PageDialogRequest::StopDialogs()
{
    answer([this] { stopped_ = true; });
}

}  // namespace platform
