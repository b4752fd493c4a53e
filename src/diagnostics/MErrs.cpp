#include "diagnostics/MErrs.h"

#include "platform/system/AppError.h"
#include "platform/system/MessageBox.h"

namespace MErrs {

void ReportError(const QString& objectName, const QString& procedureName, int32_t number)
{
    const platform::ErrObject handled = platform::Err();
    const QString description = handled.Number == number ? handled.Description : platform::ErrorDescription(number);

    const QString title = QStringLiteral("Error! (") + QString::number(number) + QStringLiteral(")");
    // "Occured" with one r on purpose: every report has always read so, and tests pin the exact text.
    const QString text = description + QStringLiteral("\r\n\r\n") + QStringLiteral("Occured in: ") + objectName
                         + QStringLiteral("::") + procedureName;
    platform::MsgBox(text, platform::vbExclamation + platform::vbOKOnly, title);
}

void Trapped(const QString& objectName, const QString& procedureName, const std::function<void()>& body,
             const std::function<void()>& undo)
{
    try {
        body();
    } catch (...) {
        if (undo)
            undo();
        ReportError(objectName, procedureName, platform::Err().Number);
    }
}

}  // namespace MErrs
