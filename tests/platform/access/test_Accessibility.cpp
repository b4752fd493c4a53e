// What the windows and the owner-drawn controls tell assistive tools: role,
// name, state and actions of each kind, the actions doing what a click does
// (and nothing on an unloaded form), editing through the text interface, and
// names kept bounded and readable.
#include "TestSupport.h"

#include "controls/HyperLblCtl.h"
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/access/Accessibility.h"
#include "platform/forms/Forms.h"
#include "platform/intrinsics/Frame.h"
#include "platform/intrinsics/Label.h"
#include "platform/system/DesktopServices.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>

using platform::PropertyBag;

namespace {
// A form whose role and caption a row chooses.
class frmProbe : public platform::Form {
public:
    frmProbe() : Form(QStringLiteral("frmProbe")) {}
    void MakeDialog() { SetDialogRole(true); }
};

QAccessibleInterface* Face(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QString Name(QObject* object)
{
    return Face(object)->text(QAccessible::Name);
}
}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> host;
    QStringList launched;

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        host = std::make_unique<QWidget>();
        launched.clear();
        platform::SetOpenUrlHook([this](const QString& target) { launched << target; });
    }
    void cleanup()
    {
        platform::SetOpenUrlHook({});
        host.reset();
    }

    // Each kind of control: role, name, whether it is enabled, its actions.
    void controls_data()
    {
        skwtest::AddColumns<QString, PropertyBag>("kind", "bag");
        QTest::addColumn<QString>("ownName");  // the host's name for it, if any
        skwtest::AddColumns<int, QString, bool, QStringList>("role", "name", "disabled", "actions");
        const QStringList press{QAccessibleActionInterface::pressAction()};
        const QStringList focus{QAccessibleActionInterface::setFocusAction()};
        QTest::newRow("button by its caption")
            << "button" << PropertyBag{{"caption", "Go"}} << "" << int(QAccessible::Button) << "Go" << false << press;
        QTest::newRow("button named by its host") << "button" << PropertyBag{{"caption", ">"}} << "Next match"
                                                  << int(QAccessible::Button) << "Next match" << false << press;
        QTest::newRow("disabled button") << "button" << PropertyBag{{"caption", "Ok"}, {"enabled", false}} << ""
                                         << int(QAccessible::Button) << "Ok" << true << press;
        QTest::newRow("text box named by its host") << "text" << PropertyBag{{"ttext", "x"}} << "Address"
                                                    << int(QAccessible::EditableText) << "Address" << false << focus;
        QTest::newRow("text box named by its label")
            << "labelled text" << PropertyBag{{"ttext", ""}} << "" << int(QAccessible::EditableText)
            << "User name:" << false << focus;
        QTest::newRow("text box named by its frame") << "framed text" << PropertyBag{{"ttext", ""}} << ""
                                                     << int(QAccessible::EditableText) << "Homepage" << false << focus;
        QTest::newRow("disabled text box") << "text" << PropertyBag{{"tenabled", false}} << "Find"
                                           << int(QAccessible::EditableText) << "Find" << true << QStringList();
        QTest::newRow("link by its text") << "link" << PropertyBag{{"linkurl", "mailto:a@b.org"}, {"label", "A B"}}
                                          << "" << int(QAccessible::Link) << "A B" << false << QStringList{"jump"};
    }
    void controls()
    {
        QFETCH(QString, kind);
        QFETCH(PropertyBag, bag);
        QFETCH(QString, ownName);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(bool, disabled);
        QFETCH(QStringList, actions);
        QWidget* parent = host.get();
        if (kind == "framed text") {
            auto* frame = new platform::Frame(host.get(), QStringLiteral("Frame3"));
            frame->SetCaption(QStringLiteral("Homepage"));
            parent = frame;
        }
        platform::UserControl* control = nullptr;
        if (kind == "button")
            control = new SoftButton(parent, QStringLiteral("cmdProbe"), bag);
        else if (kind == "link")
            control = new HyperLblCtl(parent, QStringLiteral("lnkProbe"), bag);
        else
            control = new SoftText(parent, QStringLiteral("txtProbe"), bag);
        if (kind == "labelled text") {
            auto* label = new platform::Label(parent, QStringLiteral("lblProbe"));
            label->SetCaption(QStringLiteral("User name:"));
            label->setBuddy(control);
        }
        if (!ownName.isEmpty())
            control->setAccessibleName(ownName);

        QAccessibleInterface* face = Face(control);
        QVERIFY(face && face->isValid());
        QCOMPARE(int(face->role()), role);
        QCOMPARE(face->text(QAccessible::Name), name);
        QCOMPARE(bool(face->state().disabled), disabled);
        QCOMPARE(face->actionInterface()->actionNames(), actions);
        // One object to a tool: the labels it is drawn with are not its children.
        QCOMPARE(face->childCount(), 0);
        if (auto* text = qobject_cast<SoftText*>(control)) {
            // The inner box, which has the focus, is the same text box.
            QAccessibleInterface* inner = Face(text->TextBox_hWnd());
            QCOMPARE(int(inner->role()), role);
            QCOMPARE(inner->text(QAccessible::Name), name);
            QCOMPARE(inner->parent()->object(), parent);
        }
        if (auto* link = qobject_cast<HyperLblCtl*>(control)) {
            QCOMPARE(face->hyperlinkInterface()->anchorTarget(), link->LinkURL());
            QCOMPARE(face->text(QAccessible::Description), link->LinkURL());
        }
    }

    void formsAreWindowsOrDialogsNamedByTheirCaption()
    {
        frmProbe window;
        window.SetCaption(QStringLiteral("Skerrywind v1 - [News]"));
        QCOMPARE(int(Face(&window)->role()), int(QAccessible::Window));
        QCOMPARE(Name(&window), QStringLiteral("Skerrywind v1 - [News]"));
        frmProbe dialog;
        dialog.MakeDialog();
        dialog.setAccessibleName(QStringLiteral("About Skerrywind"));
        QCOMPARE(int(Face(&dialog)->role()), int(QAccessible::Dialog));
        QCOMPARE(Name(&dialog), QStringLiteral("About Skerrywind"));
    }

    // The actions run once the event loop has control, as a click's handler
    // would, and do what the click does.
    void actionsDoWhatAClickDoes()
    {
        auto* button = new SoftButton(host.get(), QStringLiteral("cmdGo"), {{"caption", "Go"}});
        auto* disabled = new SoftButton(host.get(), QStringLiteral("cmdOk"), {{"caption", "Ok"}, {"enabled", false}});
        auto* link = new HyperLblCtl(host.get(), QStringLiteral("lnk"), {{"linkurl", "https://h/"}, {"label", "h"}});
        auto* empty = new HyperLblCtl(host.get(), QStringLiteral("lnkEmpty"), {{"label", "nowhere"}});
        QSignalSpy clicked(button, &SoftButton::Click);
        QSignalSpy notClicked(disabled, &SoftButton::Click);
        QSignalSpy followed(link, &HyperLblCtl::Click);
        QSignalSpy notFollowed(empty, &HyperLblCtl::Click);

        Face(button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        Face(disabled)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        Face(link)->actionInterface()->doAction(QStringLiteral("jump"));
        Face(empty)->actionInterface()->doAction(QStringLiteral("jump"));
        // A name that is not the control's action does nothing.
        Face(link)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 0);  // not inside the tool's request
        QVERIFY(launched.isEmpty());

        QCoreApplication::processEvents();
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(notClicked.count(), 0);
        QCOMPARE(followed.count(), 1);
        QCOMPARE(notFollowed.count(), 0);
        QCOMPARE(launched, QStringList{"https://h/"});
    }

    // Asked for while its form was going, the action never runs.
    void noActionOnAnUnloadedForm()
    {
        auto* form = &platform::Forms<frmProbe>();
        auto* button = new SoftButton(form, QStringLiteral("cmdGo"), {{"caption", "Go"}});
        auto* link = new HyperLblCtl(form, QStringLiteral("lnk"), {{"linkurl", "https://h/"}, {"label", "h"}});
        QSignalSpy clicked(button, &SoftButton::Click);
        QSignalSpy followed(link, &HyperLblCtl::Click);
        Face(button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        Face(link)->actionInterface()->doAction(QStringLiteral("jump"));
        form->Unload();
        QCoreApplication::processEvents();
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(followed.count(), 0);
        QVERIFY(launched.isEmpty());
    }

    // Editing through the text interface goes the way typing does: Change
    // is raised, the length limit holds, a locked box keeps its text, and
    // a password box shows only its masking characters.
    void editingThroughTheTextInterface()
    {
        auto* box = new SoftText(host.get(), QStringLiteral("txtURL"), {{"ttext", "abc"}, {"tmaxlength", int32_t(5)}});
        QSignalSpy changed(box, &SoftText::Change);
        QAccessibleInterface* face = Face(box);
        face->editableTextInterface()->replaceText(0, 3, QStringLiteral("file:///x.html"));
        QCOMPARE(box->Text(), QStringLiteral("file:"));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(face->textInterface()->characterCount(), 5);
        face->textInterface()->setSelection(0, 1, 3);
        int start = -1, end = -1;
        face->textInterface()->selection(0, &start, &end);
        QCOMPARE(QPair(start, end), QPair(1, 3));
        QCOMPARE(box->SelStart(), 1);
        QCOMPARE(box->SelLength(), 2);

        box->SetLocked(true);
        face->editableTextInterface()->insertText(0, QStringLiteral("zz"));
        QCOMPARE(box->Text(), QStringLiteral("file:"));
        QVERIFY(face->state().readOnly);

        auto* password = new SoftText(host.get(), QStringLiteral("txtPassword"), {{"ttext", ""}});
        password->SetPasswordChar(QStringLiteral("*"));
        password->SetText(QStringLiteral("secret"));
        QAccessibleInterface* masked = Face(password);
        QVERIFY(masked->state().passwordEdit);
        QVERIFY(!masked->textInterface()->text(0, 6).contains(QStringLiteral("secret")));
        QVERIFY(!masked->text(QAccessible::Value).contains(QStringLiteral("secret")));
    }

    void readableText_data()
    {
        skwtest::AddColumns<QString, QString>("text", "expected");
        const int max = platform::kMaxAccessibleNameChars;
        const QString ellipsis(QChar(0x2026));
        // clang-format off
        QTest::newRow("plain") << "News" << "News";
        QTest::newRow("control characters and runs of blanks")
            << QString("  a\tb\r\n\x01" "c   d ") << "a b c d";
        QTest::newRow("direction overrides dropped, right-to-left text kept")
            << QString::fromUtf8("\u202Etxt.exe\u202C \u05E9\u05DC\u05D5\u05DD") << QString::fromUtf8("txt.exe \u05E9\u05DC\u05D5\u05DD");
        QTest::newRow("exactly the bound") << QString(max, 'x') << QString(max, 'x');
        QTest::newRow("10,000 characters cut with an ellipsis")
            << QString(10000, 'x') << QString(max - 1, 'x') + ellipsis;
        QTest::newRow("blanks count once toward the bound")
            << QStringLiteral("x   ").repeated(max) << QStringLiteral("x ").repeated(max).left(max - 1) + ellipsis;
        // clang-format on
        // An emoji across the cut is dropped whole, never halved.
        QTest::newRow("no half character at the cut")
            << QString(max - 2, 'x') + QString::fromUtf8("\U0001F600\U0001F600") << QString(max - 2, 'x') + ellipsis;
    }
    void readableText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(platform::ReadableAccessibleText(text), expected);
    }
};

SKERRYWIND_TEST_MAIN(TestAccessibility)
#include "test_Accessibility.moc"
