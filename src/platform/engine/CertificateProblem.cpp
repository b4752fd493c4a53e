#include "platform/engine/CertificateProblem.h"

#include <QDateTime>
#include <QSslCertificate>
#include <QWebEngineCertificateError>

namespace platform {

QString CertificateProblem(int type, bool expired)
{
    switch (type) {
    case QWebEngineCertificateError::CertificateDateInvalid:
        return expired ? QStringLiteral("expired") : QStringLiteral("not yet valid");
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
    case QWebEngineCertificateError::CertificateNonUniqueName: return QStringLiteral("wrong host");
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return QStringLiteral("self-signed or unknown authority");
    case QWebEngineCertificateError::CertificateRevoked: return QStringLiteral("revoked");
    case QWebEngineCertificateError::CertificateNoRevocationMechanism:
    case QWebEngineCertificateError::CertificateUnableToCheckRevocation:
        return QStringLiteral("revocation cannot be checked");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey: return QStringLiteral("weak key or signature");
    case QWebEngineCertificateError::CertificateValidityTooLong: return QStringLiteral("valid for too long");
    case QWebEngineCertificateError::SslObsoleteVersion: return QStringLiteral("obsolete security protocol");
    default: return QStringLiteral("invalid certificate");
    }
}

QString CertificateProblem(const QWebEngineCertificateError& error)
{
    const QList<QSslCertificate> chain = error.certificateChain();
    const bool expired = !chain.isEmpty() && chain.first().expiryDate() < QDateTime::currentDateTimeUtc();
    return CertificateProblem(error.type(), expired);
}

QString NotSecureText(const QString& host, const QString& problem)
{
    return QStringLiteral("Not secure: %1 (%2)").arg(host, problem);
}

QString CertificateErrorPage(const QString& host, const QString& problem, const QString& address)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Not secure</title></head>"
                          "<body style=\"font-family: sans-serif; margin: 2em\">"
                          "<h2>The connection to %1 is not secure</h2>"
                          "<p>Its certificate is not trusted: %2.</p>"
                          "<p>The page <code>%3</code> was not opened.</p></body></html>")
        .arg(host.toHtmlEscaped(), problem.toHtmlEscaped(), address.toHtmlEscaped());
}

}  // namespace platform
