#include "controls/wallpaper.h"

#include <QPainter>
#include <algorithm>

TWallpaper::TWallpaper(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
}

void TWallpaper::SetWallpaper(const QPixmap& picture) {
    Picture = picture;
    update();
}

void TWallpaper::SetBevelOuter(TBevelCut cut) {
    Outer = cut;
    update();
}

void TWallpaper::SetBevelInner(TBevelCut cut) {
    Inner = cut;
    update();
}

void TWallpaper::SetBevelWidth(int width) {
    Bevel = std::max(width, 0);
    update();
}

void TWallpaper::SetBorderWidth(int width) {
    Border = std::max(width, 0);
    update();
}

QRect TWallpaper::TileArea() const {
    int inset = Border;
    if (Outer != TBevelCut::None)
        inset += Bevel;
    if (Inner != TBevelCut::None)
        inset += Bevel;
    return rect().adjusted(inset, inset, -inset, -inset);
}

// A bevel of Bevel pixels along the inside of `area`, light on the top and
// left and dark on the bottom and right when raised, the other way round
// when lowered; `area` shrinks by the bevel.
void TWallpaper::DrawBevel(QPainter& painter, QRect& area, TBevelCut cut) const {
    if (cut == TBevelCut::None)
        return;
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor topLeft = cut == TBevelCut::Raised ? light : dark;
    const QColor bottomRight = cut == TBevelCut::Raised ? dark : light;
    for (int line = 0; line < Bevel && area.width() > 0 && area.height() > 0; ++line) {
        painter.fillRect(QRect(area.left(), area.top(), area.width(), 1), topLeft);
        painter.fillRect(QRect(area.left(), area.top(), 1, area.height()), topLeft);
        painter.fillRect(QRect(area.left(), area.bottom(), area.width(), 1), bottomRight);
        painter.fillRect(QRect(area.right(), area.top(), 1, area.height()), bottomRight);
        area.adjust(1, 1, -1, -1);
    }
}

void TWallpaper::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QRect area = rect();
    DrawBevel(painter, area, Outer);
    area.adjust(Border, Border, -Border, -Border);
    DrawBevel(painter, area, Inner);
    if (Picture.isNull())
        return;
    const QRect tiles = TileArea();
    if (tiles.width() <= 0 || tiles.height() <= 0)
        return;
    painter.setClipRect(tiles);
    const int width = Picture.width();
    const int height = Picture.height();
    for (int column = 0; column <= tiles.width() / width; ++column)
        for (int row = 0; row <= tiles.height() / height; ++row)
            painter.drawPixmap(tiles.left() + column * width, tiles.top() + row * height, Picture);
}
