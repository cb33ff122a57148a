// Draws the JPEG pictures the windows show: the logo for the banner strip,
// the side bar's pictures, the browser tool bar's icon strips, and the
// program icon and background tile of the welcome and about windows.
// Usage: qv_make_pictures <folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kSideBarGrey(128, 128, 128);
const QColor kGold(255, 204, 51);
// The main window paints its tool bar in this colour.
const QColor kToolBarFace(240, 240, 240);
constexpr int kToolIconWidth = 38;
constexpr int kToolIconHeight = 32;

bool Save(const QImage& image, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(name);
    if (image.save(path, "JPG", 95))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

QImage Draw(int width, int height, const QColor& background,
            const std::function<void(QPainter&)>& draw) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return image;
}

// A columned building with a pediment or a dome, the Congress pictures' base.
void Building(QPainter& p, const QColor& stone, bool dome) {
    p.setPen(Qt::NoPen);
    p.setBrush(stone);
    p.drawRect(4, 26, 24, 3);
    p.drawRect(5, 13, 22, 2);
    for (int x = 6; x <= 24; x += 4)
        p.drawRect(x, 15, 2, 11);
    if (dome) {
        p.drawChord(QRectF(9, 3, 14, 16), 0, 180 * 16);
        p.drawRect(15, 0, 2, 4);
    } else {
        QPolygonF roof;
        roof << QPointF(4, 13) << QPointF(16, 5) << QPointF(28, 13);
        p.drawPolygon(roof);
    }
}

void BallotBox(QPainter& p, const QColor& colour) {
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(colour);
    p.drawRect(QRectF(5, 15, 22, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(10, 4, 12, 14));
    p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF() << QPointF(12, 10) << QPointF(15, 14) << QPointF(21, 5));
}

void Globe(QPainter& p, const QRectF& r) {
    QRadialGradient sea(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() / 1.4);
    sea.setColorAt(0, QColor(120, 180, 255));
    sea.setColorAt(1, QColor(20, 60, 170));
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(sea);
    p.drawEllipse(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 170, 60));
    const double u = r.width() / 24.0;
    p.drawEllipse(QRectF(r.left() + 4 * u, r.top() + 5 * u, 8 * u, 7 * u));
    p.drawEllipse(QRectF(r.left() + 13 * u, r.top() + 4 * u, 6 * u, 5 * u));
    p.drawEllipse(QRectF(r.left() + 12 * u, r.top() + 13 * u, 7 * u, 7 * u));
}

// The program's icon for the desktop's menus and task bar, as ProgramIcon
// with rounded corners on a transparent ground, drawn at each size rather
// than scaled from one picture.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.translate(16, 16);
    p.scale(0.8, 0.8);
    p.translate(-16, -14.5);
    Building(p, kGold, true);
    return image;
}

// The icon in the folders of the desktop's icon theme:
// <folder>/icons/hicolor/NxN/apps/quorvane.png.
bool SaveIcons(const QString& folder) {
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QDir(folder).filePath(QString("icons/hicolor/%1x%1/apps").arg(size));
        const QString path = QDir(dir).filePath("quorvane.png");
        if (!QDir().mkpath(dir) || !Icon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    return ok;
}

QImage Logo() {
    return Draw(164, 54, kNavy, [](QPainter& p) {
        QPainter::RenderHints hints = p.renderHints();
        p.setRenderHints(hints | QPainter::TextAntialiasing);
        p.save();
        p.translate(2, 11);
        Building(p, kGold, true);
        p.restore();
        QFont title("DejaVu Serif");
        title.setBold(true);
        title.setPixelSize(22);
        p.setFont(title);
        p.setPen(Qt::white);
        p.drawText(QRectF(37, 4, 127, 30), Qt::AlignLeft | Qt::AlignVCenter, "Quorvane");
        QFont tagline("DejaVu Sans");
        tagline.setPixelSize(10);
        p.setFont(tagline);
        p.setPen(kGold);
        p.drawText(QRectF(38, 33, 126, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   "Write to your leaders");
    });
}

// A round button face with an arrow pointing left or right.
void ArrowButton(QPainter& p, bool right) {
    QRadialGradient face(QPointF(15, 10), 18);
    face.setColorAt(0, QColor(120, 210, 120));
    face.setColorAt(1, QColor(20, 130, 40));
    p.setPen(QPen(QColor(10, 90, 30), 1));
    p.setBrush(face);
    p.drawEllipse(QRectF(5, 2, 28, 28));
    QPolygonF arrow;
    arrow << QPointF(10, 16) << QPointF(18, 8) << QPointF(18, 12.5) << QPointF(28, 12.5)
          << QPointF(28, 19.5) << QPointF(18, 19.5) << QPointF(18, 24);
    if (right) {
        for (QPointF& point : arrow)
            point.setX(kToolIconWidth - point.x());
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
}

void StopSign(QPainter& p) {
    QPolygonF octagon;
    for (int corner = 0; corner < 8; ++corner) {
        const double angle = (22.5 + 45 * corner) * M_PI / 180;
        octagon << QPointF(19 + 14 * std::cos(angle), 16 + 14 * std::sin(angle));
    }
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(210, 30, 30));
    p.drawPolygon(octagon);
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 10), QPointF(25, 22));
    p.drawLine(QPointF(25, 10), QPointF(13, 22));
}

void RefreshArrows(QPainter& p) {
    const QRectF circle(8, 5, 22, 22);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 90, 200), 3.5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(circle, 20 * 16, 140 * 16);
    p.setPen(QPen(QColor(20, 150, 60), 3.5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(circle, 200 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 90, 200));
    p.drawPolygon(QPolygonF() << QPointF(4, 12) << QPointF(13, 12) << QPointF(8.5, 19));
    p.setBrush(QColor(20, 150, 60));
    p.drawPolygon(QPolygonF() << QPointF(34, 20) << QPointF(25, 20) << QPointF(29.5, 13));
}

void House(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(250, 245, 225));
    p.drawRect(QRectF(10, 15, 18, 14));
    p.setBrush(QColor(200, 40, 40));
    p.drawPolygon(QPolygonF() << QPointF(6, 16) << QPointF(19, 4) << QPointF(32, 16));
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(17, 20, 5, 9));
    p.setBrush(QColor(120, 180, 240));
    p.drawRect(QRectF(23.5, 18, 3, 3));
}

void Envelope(QPainter& p) {
    p.setPen(QPen(kNavy, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 8, 26, 18));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF() << QPointF(4, 8) << QPointF(17, 18) << QPointF(30, 8));
    p.setPen(QPen(QColor(110, 110, 150), 1));
    p.drawLine(QPointF(4, 26), QPointF(13, 18));
    p.drawLine(QPointF(30, 26), QPointF(21, 18));
    p.setPen(QPen(QColor(150, 100, 0), 1));
    p.setBrush(kGold);
    p.drawPolygon(QPolygonF() << QPointF(25, 17) << QPointF(31, 17) << QPointF(31, 13)
                              << QPointF(37, 20) << QPointF(31, 27) << QPointF(31, 23)
                              << QPointF(25, 23));
}

void Newspaper(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(7, 3, 24, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawRect(QRectF(10, 6, 18, 4));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(10, 12, 8, 7));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y = 13; y <= 18; y += 2.5)
        p.drawLine(QPointF(20, y), QPointF(28, y));
    for (double y = 21.5; y <= 26.5; y += 2.5)
        p.drawLine(QPointF(10, y), QPointF(28, y));
}

// The tool bar's icons side by side: back, forward, stop, refresh, home,
// send, news, in full colour as the pointer highlights them.
QImage ToolBarStrip() {
    const std::function<void(QPainter&)> icons[] = {
        [](QPainter& p) { ArrowButton(p, false); },
        [](QPainter& p) { ArrowButton(p, true); },
        StopSign,
        RefreshArrows,
        House,
        Envelope,
        Newspaper,
    };
    const int count = static_cast<int>(std::size(icons));
    return Draw(kToolIconWidth * count, kToolIconHeight, kToolBarFace, [&](QPainter& p) {
        for (int icon = 0; icon < count; ++icon) {
            p.save();
            p.translate(icon * kToolIconWidth, 0);
            p.setClipRect(0, 0, kToolIconWidth, kToolIconHeight);
            icons[icon](p);
            p.restore();
        }
    });
}

// The icons at rest: their colours half faded towards grey.
QImage Faded(QImage image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgb((qRed(line[x]) + grey) / 2, (qGreen(line[x]) + grey) / 2,
                           (qBlue(line[x]) + grey) / 2);
        }
    }
    return image;
}

// The program icon: the domed building in gold on navy.
QImage ProgramIcon() {
    return Draw(32, 32, kNavy, [](QPainter& p) { Building(p, kGold, true); });
}

// The small windows' background tile: navy with a faint lattice of stars,
// drawn so that tiles join without a seam.
QImage BackgroundTile() {
    return Draw(48, 48, kNavy, [](QPainter& p) {
        p.setPen(QPen(QColor(20, 20, 150), 1));
        for (int line = -48; line < 96; line += 12) {
            p.drawLine(QPointF(line, 0), QPointF(line + 48, 48));
            p.drawLine(QPointF(line + 48, 0), QPointF(line, 48));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 70, 170));
        for (const QPointF centre : {QPointF(12, 12), QPointF(36, 36)}) {
            QPolygonF star;
            for (int point = 0; point < 10; ++point) {
                const double angle = (-90 + 36 * point) * M_PI / 180;
                const double radius = point % 2 == 0 ? 4.5 : 1.8;
                star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
            }
            p.drawPolygon(star);
        }
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_make_pictures <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!SaveIcons(folder))
        return 1;
    bool ok = Save(Logo(), folder, "qnlogo.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey, [](QPainter& p) { Building(p, Qt::white, true); }),
               folder, "sbsenate.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey,
                    [](QPainter& p) {
                        Building(p, QColor(255, 240, 200), false);
                        p.setBrush(QColor(200, 30, 30));
                        p.drawRect(16, 0, 7, 4);
                    }),
               folder, "sbhouse.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey,
                    [](QPainter& p) {
                        p.setPen(Qt::NoPen);
                        p.setBrush(QColor(0, 110, 0));
                        p.drawRect(0, 27, 32, 5);
                        p.setBrush(Qt::white);
                        p.drawRect(2, 14, 28, 13);
                        QPolygonF roof;
                        roof << QPointF(9, 14) << QPointF(16, 7) << QPointF(23, 14);
                        p.drawPolygon(roof);
                        p.setBrush(kSideBarGrey);
                        for (int x = 4; x <= 26; x += 4)
                            p.drawRect(x, 17, 2, 4);
                    }),
               folder, "sbwhite.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey, [](QPainter& p) { BallotBox(p, QColor(30, 60, 160)); }),
               folder, "sbsvote.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey, [](QPainter& p) { BallotBox(p, QColor(170, 30, 30)); }),
               folder, "sbhvote.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey, [](QPainter& p) { Globe(p, QRectF(3, 3, 26, 26)); }),
               folder, "sbworld.jpg");
    ok &= Save(Draw(32, 32, kSideBarGrey,
                    [](QPainter& p) {
                        Globe(p, QRectF(1, 1, 22, 22));
                        p.save();
                        p.translate(12, 12);
                        p.scale(0.62, 0.62);
                        Building(p, kGold, false);
                        p.restore();
                    }),
               folder, "sbparlia.jpg");
    // My Officials: a map pin over the Capitol, officials found by place.
    ok &= Save(Draw(32, 32, kSideBarGrey,
                    [](QPainter& p) {
                        p.save();
                        p.translate(4, 8);
                        p.scale(0.75, 0.75);
                        Building(p, Qt::white, true);
                        p.restore();
                        QPainterPath pin;
                        pin.moveTo(22, 19);
                        pin.cubicTo(17, 12, 16, 10, 16, 7.5);
                        pin.arcTo(QRectF(16, 1.5, 12, 12), 180, -180);
                        pin.cubicTo(28, 10, 27, 12, 22, 19);
                        p.setPen(QPen(QColor(120, 0, 0), 1));
                        p.setBrush(QColor(210, 30, 30));
                        p.drawPath(pin);
                        p.setPen(Qt::NoPen);
                        p.setBrush(Qt::white);
                        p.drawEllipse(QRectF(19.5, 5, 5, 5));
                    }),
               folder, "sbmyzip.jpg");
    ok &= Save(Draw(16, 16, kSideBarGrey,
                    [](QPainter& p) {
                        p.setPen(Qt::NoPen);
                        p.setBrush(QColor(200, 40, 40));
                        p.drawEllipse(QRectF(1, 1, 14, 14));
                        p.setBrush(Qt::white);
                        p.drawPolygon(QPolygonF()
                                      << QPointF(6, 4) << QPointF(12, 8) << QPointF(6, 12));
                    }),
               folder, "sbmedia.jpg");
    ok &= Save(Draw(16, 16, kSideBarGrey,
                    [](QPainter& p) {
                        p.setPen(QPen(QColor(255, 230, 120), 2));
                        p.setBrush(Qt::NoBrush);
                        p.drawRoundedRect(QRectF(1.5, 5, 8, 5), 2.5, 2.5);
                        p.drawRoundedRect(QRectF(6.5, 6, 8, 5), 2.5, 2.5);
                    }),
               folder, "sblink.jpg");
    ok &= Save(ProgramIcon(), folder, "qnicon.jpg");
    ok &= Save(BackgroundTile(), folder, "qnbkgnd.jpg");
    const QImage toolBar = ToolBarStrip();
    ok &= Save(toolBar, folder, "tbhot.jpg");
    ok &= Save(Faded(toolBar), folder, "tbnormal.jpg");
    return ok ? 0 : 1;
}
