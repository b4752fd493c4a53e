// Splits arbitrary command lines and checks the tokens against a plain split:
// runs of delimiters separate like one, no token is empty, nothing is lost.
#include "platform/system/Runtime.h"
#include "shell/MArgs.h"
#include "shell/MToken.h"

#include <QStringList>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString commandLine = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    platform::SetCommandLineArguments({commandLine});
    MArgs::ParseArgs(QStringLiteral(" "));
    const QStringList expected = commandLine.split(u' ', Qt::SkipEmptyParts);
    if (MArgs::strArgs.size() != expected.size() + 1 || !MArgs::strArgs[0].isEmpty())
        std::abort();
    for (qsizetype i = 0; i < expected.size(); ++i)
        if (MArgs::strArgs[i + 1] != expected[i])
            std::abort();

    const int32_t url = MArgs::FindUrlArg();
    if (url != -1 && (url < 1 || url >= MArgs::strArgs.size() || !platform::PathIsURL(MArgs::strArgs[url])))
        std::abort();
    (void)MArgs::HasNoToolbarArg();

    // A delimiter set of several characters: the first two input characters.
    if (commandLine.size() >= 2) {
        const QString delimiters = commandLine.left(2);
        const QString rest = commandLine.mid(2);
        if (rest.isEmpty())
            return 0;
        QString token = MToken::StrTok(rest, delimiters);
        while (!token.isEmpty()) {
            for (const QChar c : token)
                if (delimiters.contains(c))
                    std::abort();
            token = MToken::StrTok(QString(), delimiters);
        }
    }
    return 0;
}
