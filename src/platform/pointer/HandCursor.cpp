#include "platform/pointer/HandCursor.h"

#include <QImage>
#include <QPixmap>

namespace platform {

namespace {
constexpr int kSize = 32;
constexpr int kHotX = 12;
constexpr int kHotY = 4;
constexpr int kFirstRow = 4;

// 'X' black, '.' white, blank transparent; rows from kFirstRow down.
constexpr const char* kHand[] = {
    "            XX",          "           X..X",         "           X..X",         "           X..X",
    "           X..X",         "           X..XXX",       "           X..X..XXX",    "           X..X..X..XX",
    "        XXXX..X..X..X.X", "       X..X...........X", "        X.............X", "         X............X",
    "         X...........X",  "          X..........X",  "          X.........X",   "           X........X",
    "           XXXXXXXXXX",
};
}  // namespace

QCursor HandCursor()
{
    static const QCursor cursor = [] {
        QImage image(kSize, kSize, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        int row = kFirstRow;
        for (const char* line : kHand) {
            for (int col = 0; line[col] != '\0' && col < kSize; ++col) {
                if (line[col] == 'X')
                    image.setPixel(col, row, qRgb(0, 0, 0));
                else if (line[col] == '.')
                    image.setPixel(col, row, qRgb(255, 255, 255));
            }
            ++row;
        }
        return QCursor(QPixmap::fromImage(image), kHotX, kHotY);
    }();
    return cursor;
}

}  // namespace platform
