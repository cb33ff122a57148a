#pragma once

class QPoint;
class QSize;
class QWidget;

// Where a dialog opens along one axis of the window that owns it: centred on
// the owner's centre line when its far edge then stays short of the screen's
// extent, else at the owner's edge. Halves are truncated.
int CentreOnOwner(int ownerStart, int ownerExtent, int ownExtent, int screenExtent);

// The top-left corner for a window of `size` placed over `owner` by
// CentreOnOwner on both axes, against the usable area of the owner's screen.
QPoint PlaceOverOwner(const QWidget& owner, const QSize& size);

// The width and height of the usable area of the widget's screen.
QSize ScreenExtent(const QWidget& widget);
