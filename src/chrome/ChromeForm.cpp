#include "chrome/ChromeForm.h"

#include "platform/drawing/Gdi.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"

namespace {
constexpr int kCornerEllipse = 25;  // pixels, both ways
constexpr platform::OLE_COLOR kOuterOutline = 0x808080;
constexpr platform::OLE_COLOR kInnerOutline = 0x404040;
}  // namespace

ChromeForm::ChromeForm(const QString& name) : Form(name)
{
    SetBorderless(true);
    SetAutoRedraw(true);
}

void ChromeForm::FrameMe()
{
    // The shape and the outline are in pixels; the form measures in twips.
    const int lWidth = platform::CLng(Width() / platform::TwipsPerPixelX());
    const int lHeight = platform::CLng(Height() / platform::TwipsPerPixelY());

    const platform::Region hRgn = platform::CreateRoundRectRgn(0, 0, lWidth, lHeight, kCornerEllipse, kCornerEllipse);

    const platform::SolidBrush hBrushInner = platform::CreateSolidBrush(kInnerOutline);
    const platform::SolidBrush hBrushOuter = platform::CreateSolidBrush(kOuterOutline);

    // Two pixels of the darker grey, then the outer one of them in the
    // lighter grey: from the edge inwards 0x808080, then 0x404040.
    platform::FrameRgn(hDC(), hRgn, hBrushInner, 2, 2);
    platform::FrameRgn(hDC(), hRgn, hBrushOuter, 1, 1);

    // The window keeps the region as its shape; redrawing shows the image.
    platform::SetWindowRgn(hWnd(), hRgn, true);
    // The brushes are plain values and go with this scope.
}

void ChromeForm::DrawActiveTitleBar()
{
    DrawTitleBar(platform::COLOR_ACTIVECAPTION);
}

void ChromeForm::DrawInActiveTitleBar()
{
    DrawTitleBar(platform::COLOR_INACTIVECAPTION);
}

void ChromeForm::DrawTitleBar(platform::OLE_COLOR bandColor)
{
    if (!lblCaption_)
        platform::Raise(platform::errInvalidProcedureCall);
    const double lblWidth = platform::TwipsWidth(lblCaption_);
    const double lblHeight = platform::TwipsHeight(lblCaption_);

    // The band is not cut to the rounded corner: the window shape hides it.
    FilledBox(0, 0, lblWidth, lblHeight, bandColor);

    FrameMe();
}

void ChromeForm::SetCaptionBand(platform::Label* lblCaption)
{
    SetCaptionLabel(lblCaption);
    captionBand_ = true;
    connect(lblCaption, &platform::Label::MouseDown, this, &ChromeForm::lblCaption_MouseDown);
    connect(lblCaption, &platform::Label::MouseMove, this, &ChromeForm::lblCaption_MouseMove);
    connect(lblCaption, &platform::Label::MouseUp, this, &ChromeForm::lblCaption_MouseUp);
}

void ChromeForm::Form_Activate()
{
    if (captionBand_)
        DrawActiveTitleBar();
}

void ChromeForm::Form_Deactivate()
{
    if (captionBand_)
        DrawInActiveTitleBar();
}

void ChromeForm::lblCaption_MouseDown(int16_t Button, int16_t Shift, float X, float Y)
{
    (void)Shift;
    if (Button != platform::vbLeftButton)
        return;
    blnDragging = true;
    sngDragX = X;
    lngDragY = platform::CLng(Y);
}

void ChromeForm::lblCaption_MouseMove(int16_t Button, int16_t Shift, float X, float Y)
{
    (void)Button;
    (void)Shift;
    if (!blnDragging)
        return;
    // Computed before anything changes, so a position that cannot be applied
    // leaves the window and the drag as they were.
    const double newLeft = double(Left()) + X - sngDragX;
    const double newTop = double(Top()) + Y - lngDragY;
    Move(float(newLeft), float(newTop));
}

void ChromeForm::lblCaption_MouseUp(int16_t Button, int16_t Shift, float X, float Y)
{
    (void)Button;
    (void)Shift;
    (void)X;
    (void)Y;
    blnDragging = false;
}
