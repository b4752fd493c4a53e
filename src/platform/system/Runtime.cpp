#include "platform/system/Runtime.h"

#include "platform/system/AppError.h"
#include "platform/system/CodeDepth.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <limits>

namespace platform {

namespace {
QString& commandText()
{
    static QString text;
    return text;
}
double& twipsOverride()
{
    static double value = 0;
    return value;
}
double twipsFor(double dpi)
{
    if (twipsOverride() > 0)
        return twipsOverride();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
double logicalDpiX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}
double logicalDpiY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}
}  // namespace

void DoEvents()
{
    NestedLoop nested;
    QCoreApplication::processEvents();
}

QString Command()
{
    return commandText();
}

void SetCommandLineArguments(const QStringList& arguments)
{
    commandText() = arguments.join(u' ');
}

double TwipsPerPixelX()
{
    return twipsFor(logicalDpiX());
}
double TwipsPerPixelY()
{
    return twipsFor(logicalDpiY());
}
void SetTwipsPerPixelOverride(double twipsPerPixel)
{
    twipsOverride() = twipsPerPixel;
}

int32_t CLng(double value)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max()))
        Raise(errOverflow);
    return static_cast<int32_t>(rounded);
}

int PixelsX(double twips)
{
    return CLng(twips / TwipsPerPixelX());
}
int PixelsY(double twips)
{
    return CLng(twips / TwipsPerPixelY());
}
double TwipsX(int pixels)
{
    return pixels * TwipsPerPixelX();
}
double TwipsY(int pixels)
{
    return pixels * TwipsPerPixelY();
}

void SetTwipsGeometry(QWidget* widget, double left, double top, double width, double height)
{
    widget->setGeometry(PixelsX(left), PixelsY(top), PixelsX(width), PixelsY(height));
}

double TwipsWidth(const QWidget* widget)
{
    return TwipsX(widget->width());
}
double TwipsHeight(const QWidget* widget)
{
    return TwipsY(widget->height());
}

bool PathIsURL(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2 || !text[0].isLetter() || text[0].unicode() > 0x7f)
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const char16_t c = text[i].unicode();
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'+'
                        || c == u'-' || c == u'.';
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace platform
