#pragma once
// The bare engine window's widgets, as tools/bench compares the program with
// them: the engine's view above a status bar, nothing else, at the size of
// the main window's client area at 96 dpi (4575 x 3015 twips).
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>

struct BareWindow {
    QWebEngineView* view;
    QStatusBar* status;
};

// Fills `window` with the view and the status bar and gives it its size.
inline BareWindow LayOutBareWindow(QWidget& window)
{
    constexpr int kClientWidth = 305;
    constexpr int kClientHeight = 201;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* view = new QWebEngineView(&window);
    auto* status = new QStatusBar(&window);
    layout->addWidget(view, 1);
    layout->addWidget(status);
    window.resize(kClientWidth, kClientHeight);
    return {view, status};
}
