#include "platform/engine/PageRequests.h"

#include <QUrl>

namespace platform {

QString OriginText(const QUrl& url)
{
    if (url.host().isEmpty())
        return url.scheme();
    // An IPv6 address keeps its brackets, so that the port stands apart.
    const QString host = url.host().contains(u':') ? u'[' + url.host() + u']' : url.host();
    return url.port() == -1 ? host : QStringLiteral("%1:%2").arg(host).arg(url.port());
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

bool PageRequest::answer()
{
    if (!IsOpen())
        return false;
    answered_ = true;
    return true;
}

// ---- SignInRequest ----

SignInRequest::SignInRequest(const QString& origin, const QString& realm, bool proxy, bool refused,
                             const QString& userName, QObject* parent)
    : PageRequest(origin, parent), realm_(realm), proxy_(proxy), refused_(refused), userName_(userName)
{
}

void SignInRequest::SignIn(const QString& user, const QString& password)
{
    if (!answer())
        return;
    signedIn_ = true;
    user_ = user;
    password_ = password;
    emit Answered();
}

void SignInRequest::Cancel()
{
    if (answer())
        emit Answered();
}

// ---- CertificateRequest ----

CertificateRequest::CertificateRequest(const QString& origin, const QString& host, const QString& problem,
                                       bool overridable, QObject* parent)
    : PageRequest(origin, parent), host_(host), problem_(problem), overridable_(overridable)
{
}

void CertificateRequest::Proceed()
{
    if (!answer())
        return;
    proceeding_ = overridable_;
    emit Answered();
}

void CertificateRequest::Refuse()
{
    if (answer())
        emit Answered();
}

// ---- PermissionRequest ----

PermissionRequest::PermissionRequest(const QString& origin, Kind kind, QObject* parent)
    : PageRequest(origin, parent), kind_(kind)
{
}

void PermissionRequest::Grant()
{
    if (!answer())
        return;
    granted_ = true;
    emit Answered();
}

void PermissionRequest::Deny()
{
    if (answer())
        emit Answered();
}

// ---- FullScreenRequest ----

FullScreenRequest::FullScreenRequest(const QString& origin, bool on, QObject* parent)
    : PageRequest(origin, parent), on_(on)
{
}

void FullScreenRequest::Accept()
{
    if (!answer())
        return;
    accepted_ = true;
    emit Answered();
}

void FullScreenRequest::Reject()
{
    if (answer())
        emit Answered();
}

// ---- PageDialogRequest ----

PageDialogRequest::PageDialogRequest(const QString& origin, Kind kind, const QString& message,
                                     const QString& defaultText, int number, QObject* parent)
    : PageRequest(origin, parent), kind_(kind), message_(message), defaultText_(defaultText), number_(number)
{
}

void PageDialogRequest::Accept(const QString& text)
{
    if (!answer())
        return;
    accepted_ = true;
    text_ = text;
    emit Answered();
}

void PageDialogRequest::Cancel()
{
    if (answer())
        emit Answered();
}

void PageDialogRequest::StopDialogs()
{
    if (!answer())
        return;
    stopped_ = true;
    emit Answered();
}

}  // namespace platform
