// The tokenizer and the command-line arguments.
#include "TestSupport.h"

#include "platform/system/Runtime.h"
#include "shell/MArgs.h"
#include "shell/MToken.h"

class TestMArgs : public QObject {
    Q_OBJECT

    static void parse(const QString& commandLine)
    {
        platform::SetCommandLineArguments({commandLine});
        MArgs::ParseArgs(QStringLiteral(" "));
    }

private slots:
    void strTokGivesTokensThenEmptyForEver()
    {
        QCOMPARE(MToken::StrTok(QStringLiteral("a  b"), QStringLiteral(" ")), QStringLiteral("a"));
        QCOMPARE(MToken::StrTok(QString(), QStringLiteral(" ")), QStringLiteral("b"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(MToken::StrTok(QString(), QStringLiteral(" ")), QString());
        // A new source starts over.
        QCOMPARE(MToken::StrTok(QStringLiteral(" x"), QStringLiteral(" ")), QStringLiteral("x"));
    }

    void delimiterTextIsASet()
    {
        QCOMPARE(MToken::StrTok(QStringLiteral(",;a;,b,"), QStringLiteral(",;")), QStringLiteral("a"));
        QCOMPARE(MToken::StrTok(QString(), QStringLiteral(",;")), QStringLiteral("b"));
        QCOMPARE(MToken::StrTok(QString(), QStringLiteral(",;")), QString());
    }

    void skipAndFindDelims_data()
    {
        skwtest::AddColumns<QString, qsizetype, qsizetype>("text", "skip", "find");
        QTest::newRow("empty") << QString() << qsizetype(0) << qsizetype(1);
        QTest::newRow("blanks only") << QStringLiteral("   ") << qsizetype(0) << qsizetype(1);
        QTest::newRow("no delimiter") << QStringLiteral("abc") << qsizetype(1) << qsizetype(4);
        QTest::newRow("leading blanks") << QStringLiteral("  ab c") << qsizetype(3) << qsizetype(1);
        QTest::newRow("inner blank") << QStringLiteral("ab c") << qsizetype(1) << qsizetype(3);
    }
    void skipAndFindDelims()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, skip);
        QFETCH(qsizetype, find);
        QCOMPARE(MToken::SkipDelims(text, QStringLiteral(" ")), skip);
        QCOMPARE(MToken::FindDelim(text, QStringLiteral(" ")), find);
    }

    void emptyAndBlankCommandLines_data()
    {
        skwtest::AddRows<QString>("commandLine", {{"none", QString()}, {"blanks", QStringLiteral("     ")}});
    }
    void emptyAndBlankCommandLines()
    {
        QFETCH(QString, commandLine);
        parse(commandLine);
        QCOMPARE(MArgs::strArgs, QStringList{QString()});
        QCOMPARE(MArgs::FindUrlArg(), -1);
        QVERIFY(!MArgs::HasNoToolbarArg());
    }

    void blanksAroundAndBetweenArguments()
    {
        parse(QStringLiteral("  http://example.org/   -NoToolBar  "));
        QCOMPARE(MArgs::strArgs,
                 (QStringList{QString(), QStringLiteral("http://example.org/"), QStringLiteral("-NoToolBar")}));
        QCOMPARE(MArgs::FindUrlArg(), 1);
        QVERIFY(MArgs::HasNoToolbarArg());
    }

    void firstUrlWins()
    {
        parse(QStringLiteral("-notoolbar file:///tmp/a.html http://example.org/"));
        QCOMPARE(MArgs::FindUrlArg(), 2);
    }

    void whatIsAndIsNotAUrl_data()
    {
        skwtest::AddColumns<QString, bool>("argument", "isUrl");
        QTest::newRow("http") << QStringLiteral("http://example.org") << true;
        QTest::newRow("file") << QStringLiteral("file:///tmp/x.html") << true;
        QTest::newRow("mailto") << QStringLiteral("mailto:someone@example.org") << true;
        QTest::newRow("scheme with +.-") << QStringLiteral("svn+ssh.x-y:host") << true;
        QTest::newRow("host name") << QStringLiteral("www.example.org") << false;
        QTest::newRow("host and port") << QStringLiteral("localhost:8080") << true;
        QTest::newRow("plain path") << QStringLiteral("/tmp/page.html") << false;
        QTest::newRow("one-letter scheme") << QStringLiteral("c:/page.html") << false;
        QTest::newRow("scheme starting with a digit") << QStringLiteral("1http://x") << false;
        QTest::newRow("no colon") << QStringLiteral("http") << false;
    }
    void whatIsAndIsNotAUrl()
    {
        QFETCH(QString, argument);
        QFETCH(bool, isUrl);
        QCOMPARE(platform::PathIsURL(argument), isUrl);
    }

    void hostNameIsNoUrl()
    {
        parse(QStringLiteral("www.example.org"));
        QCOMPARE(MArgs::strArgs.size(), 2);
        QCOMPARE(MArgs::FindUrlArg(), -1);
    }

    void quotedAddressIsSplitAtItsBlank()
    {
        parse(QStringLiteral("\"file:///my page.html\""));
        QCOMPARE(MArgs::strArgs,
                 (QStringList{QString(), QStringLiteral("\"file:///my"), QStringLiteral("page.html\"")}));
        QCOMPARE(MArgs::FindUrlArg(), -1);  // the quote is part of the scheme
    }

    void switchMustBeTheWholeArgument()
    {
        parse(QStringLiteral("--notoolbar -notoolbarx x-notoolbar"));
        QVERIFY(!MArgs::HasNoToolbarArg());
    }

    void reparsingDiscardsEarlierArguments()
    {
        parse(QStringLiteral("a b c"));
        parse(QStringLiteral("d"));
        QCOMPARE(MArgs::strArgs, (QStringList{QString(), QStringLiteral("d")}));
    }

    // A command line far past 32,767 characters: no overflow, nothing cut.
    void veryLongCommandLine()
    {
        const QString longUrl = QStringLiteral("http://example.org/") + QString(70000, u'x');
        QStringList words;
        for (int i = 0; i < 3000; ++i)
            words << QStringLiteral("w%1").arg(i);
        parse(words.join(u' ') + u' ' + longUrl + QStringLiteral(" -notoolbar"));
        QCOMPARE(MArgs::strArgs.size(), 3000 + 3);
        QCOMPARE(MArgs::strArgs[3001], longUrl);
        QCOMPARE(MArgs::FindUrlArg(), 3001);
        QVERIFY(MArgs::HasNoToolbarArg());
    }

    void nonAsciiArguments()
    {
        parse(QStringLiteral("\u00e9t\u00e9 http://b\u00fccher.example/\U0001F600 \u05e9\u05dc\u05d5\u05dd"));
        QCOMPARE(MArgs::strArgs.size(), 4);
        QCOMPARE(MArgs::strArgs[2], QStringLiteral("http://b\u00fccher.example/\U0001F600"));
        QCOMPARE(MArgs::FindUrlArg(), 2);
    }
};

SKERRYWIND_TEST_MAIN(TestMArgs)
#include "test_MArgs.moc"
