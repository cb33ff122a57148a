#include "controls/window_placement.h"

#include <QGuiApplication>
#include <QPoint>
#include <QScreen>
#include <QSize>
#include <QWidget>

int CentreOnOwner(int ownerStart, int ownerExtent, int ownExtent, int screenExtent) {
    // Wide arithmetic: saved window corners can be anywhere.
    const long long centre = static_cast<long long>(ownerStart) + ownerExtent / 2;
    if (centre + ownExtent / 2 < screenExtent)
        return static_cast<int>(centre - ownExtent / 2);
    return ownerStart;
}

QSize ScreenExtent(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    return {area.width(), area.height()};
}

QPoint PlaceOverOwner(const QWidget& owner, const QSize& size) {
    const QSize screen = ScreenExtent(owner);
    const QRect frame = owner.frameGeometry();
    return {CentreOnOwner(frame.left(), frame.width(), size.width(), screen.width()),
            CentreOnOwner(frame.top(), frame.height(), size.height(), screen.height())};
}
