#include "ui/qt/tree_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lumo::gui {
namespace {

QPixmap canvas(int size = 32) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// The pictures are drawn on a 32-unit grid, scaled to the pixel size asked for, so that each
// size of an icon is drawn sharp rather than shrunk from another.
void scaleTo(QPainter& p, int size) { p.scale(size / 32.0, size / 32.0); }

template <typename Draw>
QIcon iconOfSizes(Draw draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 40, 48}) icon.addPixmap(draw(size));
    return icon;
}

// A line: a plug-shaped connector in the colour of its kind.
QPixmap linePicture(const QColor& colour, const QString& letter, bool flagged, int size = 32) {
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    scaleTo(p, size);
    p.setPen(QPen(colour.darker(150), 2));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(3, 7, 22, 18), 4, 4);
    p.drawLine(25, 16, 30, 16);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(3, 7, 22, 18), Qt::AlignCenter, letter);
    if (flagged) {
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(QColor(220, 40, 40));
        p.drawEllipse(QRectF(17, 17, 14, 14));
        p.setPen(QPen(Qt::white, 2.5));
        p.drawLine(QPointF(24, 20), QPointF(24, 25));
        p.drawPoint(QPointF(24, 28));
    }
    return pm;
}

// A module: a terminal with a display, its status as the display colour.
QPixmap modulePicture(const QColor& status, bool crossed, int size = 32) {
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    scaleTo(p, size);
    p.setPen(QPen(QColor(70, 70, 70), 2));
    p.setBrush(QColor(235, 235, 235));
    p.drawRoundedRect(QRectF(5, 3, 22, 26), 3, 3);
    p.setBrush(status);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(8, 6, 16, 11));
    p.setBrush(QColor(120, 120, 120));
    for (int i = 0; i < 3; ++i) p.drawRect(QRectF(9 + i * 5, 20, 3, 3));
    if (crossed) {
        p.setPen(QPen(QColor(90, 90, 90), 3));
        p.drawLine(4, 4, 28, 28);
    }
    return pm;
}

// The green "+" of the add buttons, bottom right.
void drawAddBadge(QPainter& p) {
    p.setPen(QPen(QColor(30, 140, 70), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(24, 18, 24, 30);
    p.drawLine(18, 24, 30, 24);
}

}  // namespace

QIcon treeIcon(int index) {
    static const QColor general(110, 110, 120), tcp(40, 100, 200), usb(30, 140, 70), reader(140, 60, 170);
    switch (index) {
        case 0: case 1: return iconOfSizes([&](int size) { return linePicture(general, "C", index == 1, size); });
        case 2: case 3: return iconOfSizes([&](int size) { return linePicture(tcp, "T", index == 3, size); });
        case 4: case 5: return iconOfSizes([&](int size) { return linePicture(usb, "U", index == 5, size); });
        case 6: case 7: return iconOfSizes([&](int size) { return linePicture(reader, "R", index == 7, size); });
        case 10: return iconOfSizes([](int size) { return modulePicture(QColor(60, 180, 80), false, size); });
        case 11: return iconOfSizes([](int size) { return modulePicture(QColor(240, 170, 30), false, size); });
        case 12: return iconOfSizes([](int size) { return modulePicture(QColor(220, 50, 50), false, size); });
        case 13: return iconOfSizes([](int size) { return modulePicture(QColor(170, 170, 170), true, size); });
        default: return iconOfSizes([&](int size) { return linePicture(general, "?", false, size); });
    }
}

QIcon programIcon() {
    return iconOfSizes([](int size) { return linePicture(QColor(40, 100, 200), "L", false, size); });
}

QIcon toolbarIcon(int index) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 70, 120);
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    switch (index) {
        case 0:  // add line
            p.drawPixmap(0, 0, linePicture(QColor(110, 110, 120), "C", false).scaled(22, 22));
            drawAddBadge(p);
            break;
        case 1:  // add module
            p.drawPixmap(0, 0, modulePicture(QColor(60, 180, 80), false).scaled(24, 24));
            drawAddBadge(p);
            break;
        case 2:  // remove
            p.setPen(QPen(QColor(200, 40, 40), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(7, 7, 25, 25);
            p.drawLine(25, 7, 7, 25);
            break;
        case 3:  // properties
            p.drawRect(6, 5, 20, 22);
            p.drawLine(10, 12, 22, 12);
            p.drawLine(10, 17, 22, 17);
            p.drawLine(10, 22, 18, 22);
            break;
        case 4:  // switch on/off
            p.drawArc(QRectF(6, 7, 20, 20), 120 * 16, 300 * 16);
            p.drawLine(16, 4, 16, 15);
            break;
        case 5:  // stop
            p.setBrush(QColor(200, 40, 40));
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(QRectF(7, 7, 18, 18), 3, 3);
            break;
        case 6: {  // refresh
            p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 280 * 16);
            QPainterPath head;
            head.moveTo(26, 5);
            head.lineTo(27, 14);
            head.lineTo(19, 11);
            p.setBrush(ink);
            p.drawPath(head);
            break;
        }
        case 7:  // check
            p.setPen(QPen(QColor(30, 140, 70), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(6, 17, 13, 24);
            p.drawLine(13, 24, 26, 8);
            break;
        default: {  // about
            p.drawEllipse(QRectF(5, 5, 22, 22));
            QFont f = p.font();
            f.setPixelSize(16);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRectF(5, 5, 22, 22), Qt::AlignCenter, "i");
            break;
        }
    }
    return QIcon(pm);
}

}  // namespace lumo::gui
