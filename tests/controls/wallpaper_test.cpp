#include "controls/wallpaper.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace {

// A 3 by 2 picture of six colours that no frame uses.
QPixmap Picture() {
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb colours[2][3] = {{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)},
                                {qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.setPixel(x, y, colours[y][x]);
    return QPixmap::fromImage(image);
}

TEST(WallpaperTest, TilesThePictureInsideTheFrameCutsTheLastTilesAndClears) {
    struct TCase {
        const char* Name;
        TBevelCut Outer;
        TBevelCut Inner;
        int BevelWidth;
        int BorderWidth;
        int Inset;
    };
    const TCase cases[] = {
        {"no frame", TBevelCut::None, TBevelCut::None, 1, 0, 0},
        {"raised panel", TBevelCut::Raised, TBevelCut::None, 1, 0, 1},
        {"both bevels and a border", TBevelCut::Raised, TBevelCut::Lowered, 2, 1, 5},
        {"border only", TBevelCut::None, TBevelCut::None, 3, 2, 2},
    };
    const QImage tile = Picture().toImage();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TWallpaper panel;
        panel.SetBevelOuter(c.Outer);
        panel.SetBevelInner(c.Inner);
        panel.SetBevelWidth(c.BevelWidth);
        panel.SetBorderWidth(c.BorderWidth);
        panel.resize(18, 13);
        const QColor plain = panel.palette().color(QPalette::Window);
        EXPECT_EQ(panel.grab().toImage().pixelColor(9, 6), plain) << "no picture yet";
        panel.SetWallpaper(Picture());
        EXPECT_EQ(panel.TileArea(), QRect(0, 0, 18, 13).adjusted(c.Inset, c.Inset, -c.Inset, -c.Inset));

        const QImage shown = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect area = panel.TileArea();
        int mismatches = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                if (area.contains(x, y)) {
                    mismatches +=
                        pixel != tile.pixel((x - area.left()) % 3, (y - area.top()) % 2);
                } else {
                    // The frame: grey shades, never the picture.
                    mismatches += qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel);
                }
            }
        EXPECT_EQ(mismatches, 0);

        // Without its picture again it is a plain panel.
        panel.SetWallpaper(QPixmap());
        EXPECT_EQ(panel.grab().toImage().pixelColor(area.center()), plain);
    }
}

}  // namespace
