// The browser's own pages under their addresses for people, both ways.
#include "TestSupport.h"

#include "platform/engine/OwnPages.h"

class TestOwnPages : public QObject {
    Q_OBJECT

private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("shown");

        QTest::newRow("home") << "skerrywind:home" << "qrc:/pages/home.html" << "skerrywind:home";
        QTest::newRow("search") << "skerrywind:search" << "qrc:/pages/search.html" << "skerrywind:search";
        QTest::newRow("any letter case") << "SkerryWind:HOME" << "qrc:/pages/home.html" << "skerrywind:home";
        QTest::newRow("query and fragment kept") << "skerrywind:search?q=a%20b#top"
                                                 << "qrc:/pages/search.html?q=a%20b#top"
                                                 << "skerrywind:search?q=a b#top";
        QTest::newRow("no such page") << "skerrywind:other" << "skerrywind:other" << "skerrywind:other";
        QTest::newRow("the resource itself") << "qrc:/pages/home.html" << "qrc:/pages/home.html" << "skerrywind:home";
        QTest::newRow("another resource") << "qrc:/pages/other.html" << "qrc:/pages/other.html" << "qrc:/pages/other.html";
        QTest::newRow("a web address") << "https://example.org/home" << "https://example.org/home"
                                       << "https://example.org/home";
        QTest::newRow("a page named home") << "file:///srv/home" << "file:///srv/home" << "file:///srv/home";
    }
    void addresses()
    {
        QFETCH(QString, typed);
        QFETCH(QString, engine);
        QFETCH(QString, shown);
        const QUrl url = platform::EngineUrl(QUrl(typed));
        QCOMPARE(url, QUrl(engine));
        QCOMPARE(platform::AddressForPeople(url), shown);
    }
};

SKERRYWIND_TEST_MAIN(TestOwnPages)
#include "test_OwnPages.moc"
