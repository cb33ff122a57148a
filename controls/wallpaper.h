#pragma once

#include <QPixmap>
#include <QWidget>

// How a panel's bevel looks: none, sunk into the surface or raised from it.
enum class TBevelCut { None, Lowered, Raised };

// A panel that tiles a picture over its inside. It paints as a framed panel
// (outer bevel at its edge, then a border of BorderWidth pixels in the
// panel's colour, then the inner bevel) and tiles the picture from the
// top-left corner of what the frame leaves, clipped to it, so that the last
// row and column of tiles are cut. Without a picture it is a plain panel.
// GUI thread only; Qt parent ownership.
class TWallpaper : public QWidget {
    Q_OBJECT

  public:
    explicit TWallpaper(QWidget* parent = nullptr);

    // The panel keeps its own copy; assigning repaints the panel.
    const QPixmap& Wallpaper() const { return Picture; }
    void SetWallpaper(const QPixmap& picture);

    TBevelCut BevelOuter() const { return Outer; }
    TBevelCut BevelInner() const { return Inner; }
    int BevelWidth() const { return Bevel; }
    int BorderWidth() const { return Border; }
    void SetBevelOuter(TBevelCut cut);
    void SetBevelInner(TBevelCut cut);
    void SetBevelWidth(int width);
    void SetBorderWidth(int width);

    // The area the picture is tiled over: the panel less its frame.
    QRect TileArea() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void DrawBevel(QPainter& painter, QRect& area, TBevelCut cut) const;

    QPixmap Picture;
    TBevelCut Outer = TBevelCut::Raised;
    TBevelCut Inner = TBevelCut::None;
    int Bevel = 1;
    int Border = 0;
};
