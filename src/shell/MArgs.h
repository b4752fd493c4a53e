#pragma once
// The command line, split once at start-up into the program-wide argument
// array, and the two questions the start-up asks of it.
#include <QString>
#include <QStringList>

#include <cstdint>

namespace MArgs {

// Element 0 is an empty string that nothing reads; elements 1 to n hold the
// arguments in command-line order.
extern QStringList strArgs;

void ParseArgs(const QString& delimiters);
int32_t CountArgs(const QString& delimiters);
// The index in strArgs of the first argument that is a URL, or -1.
int32_t FindUrlArg();
// Another command line, one a later start of the program handed over, split
// as ParseArgs splits the program's own (element 0 empty, 1 to n the
// arguments) while strArgs and the tokenizer stay as they are; and the index
// of its first URL argument, or -1.
QStringList SplitArgs(const QString& commandLine, const QString& delimiters);
int32_t FindUrlArg(const QStringList& args);
// Whether some argument equals "-notoolbar" without regard to letter case.
bool HasNoToolbarArg();

}  // namespace MArgs
