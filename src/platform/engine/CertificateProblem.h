#pragma once
// How a certificate the engine does not trust is told to the user: the
// problem in a few words, the status text, and the page shown in place of
// the site's.
#include <QString>

class QWebEngineCertificateError;

namespace platform {

// The problem of an engine certificate error type (QWebEngineCertificateError's
// numbers) in words: "expired", "not yet valid", "wrong host", "self-signed or
// unknown authority", "revoked", ... `expired` tells the two date problems apart.
QString CertificateProblem(int type, bool expired);
QString CertificateProblem(const QWebEngineCertificateError& error);

// "Not secure: <host> (<problem>)".
QString NotSecureText(const QString& host, const QString& problem);

// The page shown instead of the site: the host and the problem in words.
QString CertificateErrorPage(const QString& host, const QString& problem, const QString& address);

}  // namespace platform
