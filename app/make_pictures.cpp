// Draws the JPEG pictures the windows show: the logo for the banner strip and
// the side bar's pictures. Usage: qv_make_pictures <folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace {

const QColor Navy(0, 0, 128);
const QColor SideBarGrey(128, 128, 128);
const QColor Gold(255, 204, 51);

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

// The program's icon for the desktop's menus and task bar: the logo's gold
// dome on a navy tile, drawn at each size rather than scaled from one
// picture, on a transparent ground.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Navy);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.translate(16, 16);
    p.scale(0.8, 0.8);
    p.translate(-16, -14.5);
    Building(p, Gold, true);
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
    return Draw(164, 54, Navy, [](QPainter& p) {
        QPainter::RenderHints hints = p.renderHints();
        p.setRenderHints(hints | QPainter::TextAntialiasing);
        p.save();
        p.translate(2, 11);
        Building(p, Gold, true);
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
        p.setPen(Gold);
        p.drawText(QRectF(38, 33, 126, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   "Write to your leaders");
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
    ok &= Save(Draw(32, 32, SideBarGrey, [](QPainter& p) { Building(p, Qt::white, true); }), folder,
               "sbsenate.jpg");
    ok &= Save(Draw(32, 32, SideBarGrey,
                    [](QPainter& p) {
                        Building(p, QColor(255, 240, 200), false);
                        p.setBrush(QColor(200, 30, 30));
                        p.drawRect(16, 0, 7, 4);
                    }),
               folder, "sbhouse.jpg");
    ok &= Save(Draw(32, 32, SideBarGrey,
                    [](QPainter& p) {
                        p.setPen(Qt::NoPen);
                        p.setBrush(QColor(0, 110, 0));
                        p.drawRect(0, 27, 32, 5);
                        p.setBrush(Qt::white);
                        p.drawRect(2, 14, 28, 13);
                        QPolygonF roof;
                        roof << QPointF(9, 14) << QPointF(16, 7) << QPointF(23, 14);
                        p.drawPolygon(roof);
                        p.setBrush(SideBarGrey);
                        for (int x = 4; x <= 26; x += 4)
                            p.drawRect(x, 17, 2, 4);
                    }),
               folder, "sbwhite.jpg");
    ok &= Save(Draw(32, 32, SideBarGrey, [](QPainter& p) { BallotBox(p, QColor(30, 60, 160)); }),
               folder, "sbsvote.jpg");
    ok &= Save(Draw(32, 32, SideBarGrey, [](QPainter& p) { BallotBox(p, QColor(170, 30, 30)); }),
               folder, "sbhvote.jpg");
    ok &= Save(Draw(32, 32, SideBarGrey, [](QPainter& p) { Globe(p, QRectF(3, 3, 26, 26)); }),
               folder, "sbworld.jpg");
    ok &= Save(Draw(32, 32, SideBarGrey,
                    [](QPainter& p) {
                        Globe(p, QRectF(1, 1, 22, 22));
                        p.save();
                        p.translate(12, 12);
                        p.scale(0.62, 0.62);
                        Building(p, Gold, false);
                        p.restore();
                    }),
               folder, "sbparlia.jpg");
    ok &= Save(Draw(16, 16, SideBarGrey,
                    [](QPainter& p) {
                        p.setPen(Qt::NoPen);
                        p.setBrush(QColor(200, 40, 40));
                        p.drawEllipse(QRectF(1, 1, 14, 14));
                        p.setBrush(Qt::white);
                        p.drawPolygon(QPolygonF()
                                      << QPointF(6, 4) << QPointF(12, 8) << QPointF(6, 12));
                    }),
               folder, "sbmedia.jpg");
    ok &= Save(Draw(16, 16, SideBarGrey,
                    [](QPainter& p) {
                        p.setPen(QPen(QColor(255, 230, 120), 2));
                        p.setBrush(Qt::NoBrush);
                        p.drawRoundedRect(QRectF(1.5, 5, 8, 5), 2.5, 2.5);
                        p.drawRoundedRect(QRectF(6.5, 6, 8, 5), 2.5, 2.5);
                    }),
               folder, "sblink.jpg");
    return ok ? 0 : 1;
}
