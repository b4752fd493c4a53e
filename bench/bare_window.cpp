// The bare engine window tools/bench compares the program with: a top-level
// widget holding only a QWebEngineView above a QStatusBar, with the page's
// title as the window's title and hovered links in the status bar. It starts
// on the same graphics path as the program and is the same size as the
// program's main window, so the two differ only in what the program adds.
//   bare_window <address>
#include "BareWindow.h"

#include "platform/engine/GraphicsPath.h"

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QWebEnginePage>

// The same category the program logs its captions in, off unless tools/bench
// turns it on.
Q_LOGGING_CATEGORY(lcBench, "skerrywind.bench", QtWarningMsg)

int main(int argc, char** argv)
{
    platform::ChooseGraphicsPath();
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;

    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    const BareWindow bare = LayOutBareWindow(window);
    QWebEngineView* view = bare.view;
    QStatusBar* status = bare.status;

    QObject::connect(view, &QWebEngineView::titleChanged, &window, &QWidget::setWindowTitle);
    QObject::connect(&window, &QWidget::windowTitleChanged, [](const QString& title) {
        qCInfo(lcBench).noquote() << "caption"
                                  << "bare" << title;
    });
    QObject::connect(view->page(), &QWebEnginePage::linkHovered, status,
                     [status](const QString& url) { status->showMessage(url); });

    view->load(QUrl::fromUserInput(QString::fromLocal8Bit(argv[1]), QDir::currentPath()));
    window.show();
    qCInfo(lcBench) << "ready";
    return app.exec();
}
