#pragma once
// What a page asks of the browser that the user answers: signing in, going on
// past a certificate problem, a permission, full screen, a page's own dialog.
// The browser host raises each as an event carrying one of these requests;
// the program answers it at once or later through the request. The first
// answer counts, later ones change nothing. A request whose page goes away
// (or takes it back) before it is answered is withdrawn: Withdrawn() is
// emitted, and the page gets the refusal.
//
// The requests are plain values with signals, independent of the engine:
// the engine's page turns Answered() into the engine's answer, and tests
// raise them from a recording browser.
//
// Who asks is an origin: scheme, host and port. Whatever the user gives a
// page (a password, a permission, a certificate exception) is kept by it, so
// that https://h/ and http://h/, or h:443 and h:8443, never share an answer.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QUrl;

namespace platform {

// The origin of an address as requests name it: scheme, host and port, the
// scheme's default port written out ("https://example.org:443",
// "http://127.0.0.1:8123", "http://[::1]:8080"); the scheme alone for an
// address without a host ("file").
QString OriginText(const QUrl& url);
// An origin as people read it: the host, with the port when it is not the
// scheme's default, and the scheme in front when it is not https
// ("example.org", "127.0.0.1:8123", "http://example.org"). Text that is no
// origin of OriginText's form comes back as it is.
QString SiteText(const QString& origin);

class PageRequest : public QObject {
    Q_OBJECT
public:
    ~PageRequest() override;

    // Who asks: the origin of OriginText ("https://127.0.0.1:8123"); a
    // proxy's sign-in gives the proxy's host.
    QString Origin() const { return origin_; }
    bool IsAnswered() const { return answered_; }
    bool IsWithdrawn() const { return withdrawn_; }
    // Neither answered nor withdrawn: an answer is still wanted.
    bool IsOpen() const { return !answered_ && !withdrawn_; }

    // The page no longer wants an answer. Called by the page's side.
    void Withdraw();
    // Answers no: cancels a sign-in or a dialog, denies a permission,
    // refuses a certificate or full screen.
    void Refuse()
    {
        answer([] {});
    }

signals:
    void Answered();
    void Withdrawn();

protected:
    PageRequest(const QString& origin, QObject* parent);
    // The first answer: marks the request answered, lets `take` keep what
    // the answer gives, and emits Answered(). An answer after the first, or
    // after the request was withdrawn, does nothing.
    template <class Take>
    void answer(Take take)
    {
        if (!IsOpen())
            return;
        answered_ = true;
        take();
        emit Answered();
    }

private:
    QString origin_;
    bool answered_ = false;
    bool withdrawn_ = false;
};

// Runs a nested event loop until the request is answered or withdrawn, as a
// page that cannot go on without the answer does; returns at once when it
// was answered before.
void WaitForAnswer(PageRequest* request);

// A server or a proxy asks for a user name and a password.
class SignInRequest : public PageRequest {
    Q_OBJECT
public:
    SignInRequest(const QString& origin, const QString& realm, bool proxy, bool refused, const QString& userName,
                  QObject* parent);

    // The server's name for what is protected, as it sent it (may be empty).
    QString Realm() const { return realm_; }
    bool Proxy() const { return proxy_; }
    // The last answer to this same question was refused by the server.
    bool Refused() const { return refused_; }
    // The user name of that last answer, to offer again.
    QString UserName() const { return userName_; }

    void SignIn(const QString& user, const QString& password);
    void Cancel() { Refuse(); }

    bool SignedIn() const { return signedIn_; }
    QString User() const { return user_; }
    QString Password() const { return password_; }

private:
    QString realm_;
    bool proxy_;
    bool refused_;
    QString userName_;
    bool signedIn_ = false;
    QString user_;
    QString password_;
};

// What a page keeps of its sign-ins since its last navigation, by site and
// realm: the user names given (the same question asked again means the
// server refused the answer) and the questions the user cancelled (a server
// that asks at every request of the page is asked about once).
class SignInMemory {
public:
    // A new page: nothing is kept.
    void Navigated();
    // Counts navigations; an answer is recorded for the page it was asked on.
    quint64 Page() const { return page_; }
    bool Cancelled(const QString& key) const { return cancelled_.contains(key); }
    bool Given(const QString& key) const { return given_.contains(key); }
    QString UserName(const QString& key) const { return given_.value(key); }
    // Records what became of a sign-in asked on `page`: nothing when it was
    // taken back or another page came meanwhile, since that says nothing
    // about the sign-ins of the page that is there now.
    void Record(const QString& key, quint64 page, const SignInRequest& request);

private:
    quint64 page_ = 0;
    QHash<QString, QString> given_;
    QSet<QString> cancelled_;
};

// The engine does not trust a site's certificate.
class CertificateRequest : public PageRequest {
    Q_OBJECT
public:
    CertificateRequest(const QString& origin, const QString& host, const QString& problem, bool overridable,
                       const QString& fingerprint, QObject* parent);

    QString Host() const { return host_; }
    // The SHA-256 digest of the site's certificate, in hex; empty when the
    // engine named no certificate.
    QString Fingerprint() const { return fingerprint_; }
    // The problem in words: "expired", "wrong host", "self-signed or unknown
    // authority", "revoked", ...
    QString Problem() const { return problem_; }
    // Whether the engine lets the user go on to the site all the same.
    bool Overridable() const { return overridable_; }

    // Goes on to the site; refused (like Refuse) when not overridable.
    void Proceed();

    bool Proceeding() const { return proceeding_; }

private:
    QString host_;
    QString problem_;
    bool overridable_;
    QString fingerprint_;
    bool proceeding_ = false;
};

// A site asks to use something of the user's machine.
class PermissionRequest : public PageRequest {
    Q_OBJECT
public:
    enum Kind {
        Geolocation,
        Camera,
        Microphone,
        CameraAndMicrophone,
        Notifications,
        MouseLock,
        ScreenCapture,
        ScreenAndAudioCapture,
    };
    Q_ENUM(Kind)

    PermissionRequest(const QString& origin, Kind kind, QObject* parent);

    Kind What() const { return kind_; }

    void Grant();
    void Deny() { Refuse(); }

    bool Granted() const { return granted_; }

private:
    Kind kind_;
    bool granted_ = false;
};

// A page element asks to fill the screen (On) or to leave full screen.
class FullScreenRequest : public PageRequest {
    Q_OBJECT
public:
    FullScreenRequest(const QString& origin, bool on, QObject* parent);

    bool On() const { return on_; }

    void Accept();
    void Reject() { Refuse(); }

    bool Accepted() const { return accepted_; }

private:
    bool on_;
    bool accepted_ = false;
};

// A page's own alert, confirm or prompt dialog, or its leave question
// (beforeunload): whether to leave it all the same, when it holds something
// not saved.
class PageDialogRequest : public PageRequest {
    Q_OBJECT
public:
    enum Kind { Alert, Confirm, Prompt, Leave };
    Q_ENUM(Kind)

    PageDialogRequest(const QString& origin, Kind kind, const QString& message, const QString& defaultText, int number,
                      QObject* parent);

    Kind What() const { return kind_; }
    QString Message() const { return message_; }
    // A prompt's text to start from.
    QString DefaultText() const { return defaultText_; }
    // Counts this page's dialogs since its last navigation, from 1.
    int Number() const { return number_; }

    // OK, with a prompt's text; a leave question's Leave.
    void Accept(const QString& text = QString());
    // Cancel; an alert takes it as OK, a leave question as Stay.
    void Cancel() { Refuse(); }
    // Cancel, and answer every later dialog of this page as cancelled until
    // it navigates. A leave question is answered Leave: a page whose
    // dialogs are stopped is never kept.
    void StopDialogs();

    bool Accepted() const { return accepted_; }
    QString Text() const { return text_; }
    bool Stopped() const { return stopped_; }

private:
    Kind kind_;
    QString message_;
    QString defaultText_;
    int number_;
    bool accepted_ = false;
    QString text_;
    bool stopped_ = false;
};

}  // namespace platform
