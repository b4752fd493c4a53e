#pragma once
// The questions pages ask, one window at a time. A request is answered at
// once when the user's answer of this run already covers it (a permission
// answered for that site, credentials for that site and realm, a site the
// user chose to go on to despite its certificate); otherwise its question
// waits its turn. A request that repeats a question already open or waiting
// joins it and gets the same answer, so a page that asks in a loop never
// stacks windows. A withdrawn request leaves the queue, and its window
// closes when nothing is left to answer. Answers, credentials and the
// certificate exceptions last for this run only and are never written.
#include "platform/engine/PageRequests.h"

#include <QString>

namespace MQuestions {

void AskPermission(platform::PermissionRequest* Request);
void AskCertificate(platform::CertificateRequest* Request);
void AskSignIn(platform::SignInRequest* Request);
void AskPageDialog(platform::PageDialogRequest* Request);

// Refuses every question open or waiting and closes its window; the main
// window does so as it unloads.
void CloseAll();
// Forgets the answers, credentials and exceptions of this run.
void ForgetAnswers();

// "<site> wants to show notifications", "<site> wants to use your camera", ...
QString PermissionCaption(const QString& sOrigin, platform::PermissionRequest::Kind kind);
}  // namespace MQuestions
