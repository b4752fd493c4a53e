#include "platform/engine/BrowserHost.h"

#include "platform/system/Runtime.h"
#include "platform/engine/VisitedAddresses.h"
#include "platform/engine/WebEngineBrowser.h"

#include <QWidget>

#include <algorithm>

namespace platform {

namespace {
BrowserFactory& factory()
{
    static BrowserFactory f;
    return f;
}
}  // namespace

BrowserHost::BrowserHost(QObject* parent) : QObject(parent)
{
    // Every completed address is offered again by the address box.
    connect(this, &BrowserHost::DocumentComplete, this,
            [](QObject*, const QVariant& URL) { VisitedAddresses::Add(URL.toString()); });
}

BrowserHost::~BrowserHost() = default;

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

}  // namespace platform
