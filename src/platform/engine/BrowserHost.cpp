#include "platform/engine/BrowserHost.h"

#include "platform/engine/AddressHistory.h"
#include "platform/engine/WebEngineBrowser.h"
#include "platform/system/RecentStore.h"
#include "platform/system/Runtime.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {
BrowserFactory& factory()
{
    static BrowserFactory f;
    return f;
}

PrintDialogHook& printDialogHook()
{
    static PrintDialogHook hook;
    return hook;
}
}  // namespace

BrowserHost::BrowserHost(QObject* parent) : QObject(parent)
{
    // A history that cannot be saved says so here.
    connect(&AddressHistory::Store(), &RecentStore::writeFailed, this, &BrowserHost::StatusTextChange);
}

BrowserHost::~BrowserHost() = default;

void BrowserHost::RecordVisit(const QString& address)
{
    AddressHistory::Add(address);
}

void BrowserHost::SetFocus()
{
    Widget()->setFocus(Qt::OtherFocusReason);
}

bool BrowserHost::HasFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == Widget() || Widget()->isAncestorOf(focus));
}

float BrowserHost::Width() const
{
    return float(TwipsX(Widget()->width()));
}

float BrowserHost::Height() const
{
    return float(TwipsY(Widget()->height()));
}

void BrowserHost::SetWidth(float twips)
{
    Widget()->resize(std::max(0, PixelsX(twips)), Widget()->height());
}

void BrowserHost::SetHeight(float twips)
{
    Widget()->resize(Widget()->width(), std::max(0, PixelsY(twips)));
}

BrowserHost* CreateBrowser(QWidget* parent)
{
    if (factory())
        return factory()(parent);
    return new WebEngineBrowser(parent);
}

BrowserFactory SetBrowserFactory(BrowserFactory f)
{
    BrowserFactory previous = std::move(factory());
    factory() = std::move(f);
    return previous;
}

PrintDialogHook SetPrintDialogHook(PrintDialogHook hook)
{
    PrintDialogHook previous = std::move(printDialogHook());
    printDialogHook() = std::move(hook);
    return previous;
}

PrintDialogHook CurrentPrintDialogHook()
{
    return printDialogHook();
}

}  // namespace platform
