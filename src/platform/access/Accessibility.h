#pragma once
// What the program's windows and controls tell assistive tools (screen
// readers, magnifiers, test tools) through Qt's accessibility interface: each
// form is a window or a dialog named by its caption, and the owner-drawn user
// controls report themselves as a push button, an editable text or a link,
// with their name, state and action. The standard controls keep Qt's own
// interfaces and are named by their captions or by the names their hosts give
// them (setAccessibleName).
//
// Integration: the application object installs the interfaces at its start.
#include <QString>

namespace platform {

// Installs the interfaces' factory; once is enough, later calls do nothing.
void InstallAccessibility();

// A text as assistive tools are given it for a name or a description: control
// characters become blanks, the characters that force the direction of the
// text that follows are dropped, runs of blanks become one, and a text longer
// than kMaxAccessibleNameChars is cut there and ends in an ellipsis.
inline constexpr int kMaxAccessibleNameChars = 200;
QString ReadableAccessibleText(const QString& text);

}  // namespace platform
