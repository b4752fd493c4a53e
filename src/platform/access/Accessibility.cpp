#include "platform/access/Accessibility.h"

#include "platform/forms/Forms.h"
#include "platform/forms/UserControl.h"
#include "platform/system/ReadableText.h"

#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace platform {

namespace {
const QString kJumpAction = QStringLiteral("jump");

// Embeddings, overrides and isolates: they would turn the text that follows a
// name around, or hide where it ends.
bool isDirectionControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QAccessible::Role roleOf(UserControl::AccessibleKind kind)
{
    switch (kind) {
    case UserControl::AccessibleKind::PushButton: return QAccessible::Button;
    case UserControl::AccessibleKind::EditableText: return QAccessible::EditableText;
    case UserControl::AccessibleKind::Link: return QAccessible::Link;
    case UserControl::AccessibleKind::Group: break;
    }
    return QAccessible::Grouping;
}

// A window of the program: a frame, or a dialog, named by its caption.
class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(Form* form)
        : QAccessibleWidget(form, form->DialogRole() ? QAccessible::Dialog : QAccessible::Window)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const auto* form = static_cast<const Form*>(widget());
        if (t == QAccessible::Name)
            return ReadableAccessibleText(form->accessibleName().isEmpty() ? form->Caption() : form->accessibleName());
        return QAccessibleWidget::text(t);
    }
};

// What the owner-drawn controls share: the name (the host's, else the
// caption, else for a text box the label or the frame that introduces it),
// the enabled state and the one action. A control is one object for assistive
// tools: the labels it is drawn with are not its children. The face is the
// widget the interface stands for: the control, or a text box's inner box,
// which is what has the keyboard focus.
class UserControlAccessible : public QAccessibleWidget {
public:
    UserControlAccessible(QWidget* face, UserControl* control)
        : QAccessibleWidget(face, roleOf(control->Kind())), control_(control)
    {
    }

    bool isValid() const override { return QAccessibleWidget::isValid() && control_; }

    QAccessibleInterface* parent() const override
    {
        // The inner box stands in the control's place.
        if (widget() != control_)
            return QAccessible::queryAccessibleInterface(control_->parentWidget());
        return QAccessibleWidget::parent();
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return ReadableAccessibleText(name());
        case QAccessible::Description: {
            QString description = control_->accessibleDescription();
            if (description.isEmpty())
                description = control_->AccessibleTarget();
            if (description.isEmpty())
                description = control_->toolTip();
            return ReadableAccessibleText(description);
        }
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (!control_->AccessibleEnabled()) {
            s.disabled = true;
            s.focusable = false;
        }
        return s;
    }

    QStringList actionNames() const override
    {
        switch (control_->Kind()) {
        case UserControl::AccessibleKind::PushButton: return {pressAction()};
        case UserControl::AccessibleKind::Link: return {kJumpAction};
        default: return QAccessibleWidget::actionNames();
        }
    }

    void doAction(const QString& actionName) override
    {
        const auto kind = control_->Kind();
        if ((kind == UserControl::AccessibleKind::PushButton && actionName == pressAction())
            || (kind == UserControl::AccessibleKind::Link && actionName == kJumpAction))
            control_->DoAccessibleAction();
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

protected:
    UserControl* control() const { return control_; }

private:
    QString name() const
    {
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        if (!control_->accessibleName().isEmpty())
            return control_->accessibleName();
        const QString caption = control_->AccessibleCaption();
        if (!caption.isEmpty() || control_->Kind() != UserControl::AccessibleKind::EditableText)
            return caption;
        // A label beside the box that names it as its buddy.
        if (QWidget* host = control_->parentWidget()) {
            for (const QLabel* label : host->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
                if (label->buddy() == control_ || (label->buddy() && label->buddy() == control_->AccessibleTextBox()))
                    return label->text().remove(QLatin1Char('&'));
            }
        }
        // The frame the box lies in.
        for (QWidget* w = control_->parentWidget(); w && !w->isWindow(); w = w->parentWidget()) {
            if (const auto* frame = qobject_cast<QGroupBox*>(w))
                return frame->title();
        }
        return QString();
    }

    QPointer<UserControl> control_;
};

// A flat text box: its text, selection and caret are the inner box's.
class FlatTextAccessible : public UserControlAccessible,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    FlatTextAccessible(QWidget* face, UserControl* control, QLineEdit* box)
        : UserControlAccessible(face, control), box_(box)
    {
    }

    bool isValid() const override { return UserControlAccessible::isValid() && box_; }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return UserControlAccessible::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return shown();
        return UserControlAccessible::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = UserControlAccessible::state();
        s.editable = !box_->isReadOnly();
        s.readOnly = box_->isReadOnly();
        s.focusable = box_->isEnabled() && control()->AccessibleEnabled();
        s.focused = box_->hasFocus();
        s.passwordEdit = box_->echoMode() != QLineEdit::Normal;
        return s;
    }

    QStringList actionNames() const override
    {
        return state().focusable ? QStringList{setFocusAction()} : QStringList();
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == setFocusAction() && state().focusable)
            box_->setFocus(Qt::OtherFocusReason);
    }

    // ---- text ----
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && box_->hasSelectedText()) {
            *startOffset = box_->selectionStart();
            *endOffset = box_->selectionEnd();
        }
    }
    int selectionCount() const override { return box_->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { box_->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        box_->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return box_->cursorPosition(); }
    void setCursorPosition(int position) override { box_->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int offset) const override
    {
        const QFontMetrics metrics(box_->font());
        const QRect contents = box_->contentsRect();
        const int x = metrics.horizontalAdvance(shown().left(offset));
        const int width = offset < characterCount() ? metrics.horizontalAdvance(shown().at(offset)) : 0;
        const QRect local(contents.left() + x, contents.top(), width, contents.height());
        return QRect(box_->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override { return box_->cursorPositionAt(box_->mapFromGlobal(point)); }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        box_->setCursorPosition(endIndex);
        box_->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        (void)offset;
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

    // ---- editing: as typing does, within the box's length limit ----
    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override
    {
        if (box_->isReadOnly() || !box_->isEnabled())
            return;
        box_->setSelection(startOffset, endOffset - startOffset);
        box_->insert(text);
    }

private:
    // What the box shows: a password box gives its masking characters only.
    QString shown() const { return box_->echoMode() == QLineEdit::Normal ? box_->text() : box_->displayText(); }

    QPointer<QLineEdit> box_;
};

// A hyperlink label: its text, and its address as the link's target.
class LinkAccessible : public UserControlAccessible, public QAccessibleHyperlinkInterface {
public:
    using UserControlAccessible::UserControlAccessible;

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::HyperlinkInterface)
            return static_cast<QAccessibleHyperlinkInterface*>(this);
        return UserControlAccessible::interface_cast(t);
    }

    QString anchor() const override { return text(QAccessible::Name); }
    QString anchorTarget() const override { return control()->AccessibleTarget(); }
    int startIndex() const override { return 0; }
    int endIndex() const override { return int(anchor().size()); }
    bool isValid() const override { return UserControlAccessible::isValid(); }
};

QAccessibleInterface* controlInterface(QWidget* face, UserControl* control, QLineEdit* box = nullptr)
{
    switch (control->Kind()) {
    case UserControl::AccessibleKind::EditableText:
        if (!box)
            box = control->AccessibleTextBox();
        return box ? new FlatTextAccessible(face, control, box) : nullptr;
    case UserControl::AccessibleKind::Link: return new LinkAccessible(face, control);
    case UserControl::AccessibleKind::PushButton: return new UserControlAccessible(face, control);
    case UserControl::AccessibleKind::Group: break;
    }
    return nullptr;
}

QAccessibleInterface* factory(const QString& key, QObject* object)
{
    (void)key;
    if (auto* form = qobject_cast<Form*>(object))
        return new FormAccessible(form);
    if (auto* control = qobject_cast<UserControl*>(object)) {
        // A control made of other controls (the find box): a group of them.
        if (control->Kind() == UserControl::AccessibleKind::Group)
            return new QAccessibleWidget(control, QAccessible::Grouping);
        return controlInterface(control, control);
    }
    // The inner box of a flat text box is the same text box to a tool. It
    // may be asked for while the control is still making it.
    if (auto* box = qobject_cast<QLineEdit*>(object)) {
        auto* control = qobject_cast<UserControl*>(box->parentWidget());
        if (control && control->Kind() == UserControl::AccessibleKind::EditableText
            && (control->AccessibleTextBox() == box || !control->AccessibleTextBox()))
            return controlInterface(box, control, box);
    }
    return nullptr;
}
}  // namespace

void InstallAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

QString ReadableAccessibleText(const QString& text)
{
    QString readable;
    readable.reserve(std::min<qsizetype>(text.size(), kMaxAccessibleNameChars + 1));
    for (const QChar c : text) {
        if (isDirectionControl(c.unicode()))
            continue;
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            if (!readable.isEmpty() && !readable.endsWith(u' '))
                readable.append(u' ');
            continue;
        }
        readable.append(c);
        // One character past the bound tells that the text goes on.
        if (readable.size() > kMaxAccessibleNameChars)
            break;
    }
    if (readable.endsWith(u' '))
        readable.chop(1);
    // Over the bound, the ellipsis counts within it.
    if (readable.size() <= kMaxAccessibleNameChars)
        return readable;
    return BoundedText(readable, kMaxAccessibleNameChars - 1);
}

}  // namespace platform
