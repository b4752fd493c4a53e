#include "shell/MArgs.h"

#include "platform/system/Runtime.h"
#include "shell/MToken.h"

namespace MArgs {

QStringList strArgs{QString()};

void ParseArgs(const QString& delimiters)
{
    const QString commandLine = platform::Command();
    if (commandLine.isEmpty()) {
        strArgs = QStringList{QString()};
        return;
    }

    const int32_t n = CountArgs(delimiters);
    strArgs = QStringList(n + 1, QString());

    QString token = MToken::StrTok(commandLine, delimiters);
    int32_t i = 1;
    while (!token.isEmpty()) {
        strArgs[i] = token;
        token = MToken::StrTok(QString(), delimiters);
        i = i + 1;
    }
}

int32_t CountArgs(const QString& delimiters)
{
    int32_t count = 0;
    QString token = MToken::StrTok(platform::Command(), delimiters);
    while (!token.isEmpty()) {
        count = count + 1;
        token = MToken::StrTok(QString(), delimiters);
    }
    return count;
}

int32_t FindUrlArg()
{
    return FindUrlArg(strArgs);
}

QStringList SplitArgs(const QString& commandLine, const QString& delimiters)
{
    QStringList args{QString()};
    qsizetype position = 1;
    for (QString token = MToken::NextToken(commandLine, position, delimiters); !token.isEmpty();
         token = MToken::NextToken(commandLine, position, delimiters))
        args << token;
    return args;
}

int32_t FindUrlArg(const QStringList& args)
{
    for (int32_t i = 1; i < args.size(); ++i) {
        if (platform::PathIsURL(args[i]))
            return i;
    }
    return -1;
}

bool HasNoToolbarArg()
{
    for (int32_t i = 1; i < strArgs.size(); ++i) {
        if (strArgs[i].toLower() == QLatin1String("-notoolbar"))
            return true;
    }
    return false;
}

}  // namespace MArgs
