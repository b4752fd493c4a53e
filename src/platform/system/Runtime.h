#pragma once
// Small services of the runtime the units are written against: pending
// events, the command line, twips, the URL syntax test and rounding.
#include <QString>
#include <QStringList>

#include <cstdint>

class QWidget;

namespace platform {

// Lets pending window events run (one pass of the event loop).
void DoEvents();

// The command-line argument text: everything after the program's name,
// joined with single blanks; empty without arguments.
QString Command();
void SetCommandLineArguments(const QStringList& arguments);

// Twips per pixel of the screen (1440 / logical dpi; 15 at 96 dpi).
double TwipsPerPixelX();
double TwipsPerPixelY();
// Tests may pin the factors; 0 returns to the screen's own.
void SetTwipsPerPixelOverride(double twipsPerPixel);

// Rounds to the nearest whole number, halves to the even neighbour, as a
// 32-bit integer; a value outside the 32-bit range (or not a number) raises
// error 6 "Overflow".
int32_t CLng(double value);

// Pixels from twips and back, rounding halves to even.
int PixelsX(double twips);
int PixelsY(double twips);
double TwipsX(int pixels);
double TwipsY(int pixels);

// Places a child widget at (left, top, width, height) twips in its parent.
void SetTwipsGeometry(QWidget* widget, double left, double top, double width, double height);
// A child widget's width and height in twips.
double TwipsWidth(const QWidget* widget);
double TwipsHeight(const QWidget* widget);

// The URL syntax test: a scheme of two or more letters, digits, "+", "-" or
// "." starting with a letter, then ":". A bare host name or a path is no URL.
bool PathIsURL(const QString& text);

}  // namespace platform
