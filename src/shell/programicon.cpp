#include "programicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ProgramIcon {

void paintEmblem(QPainter &p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    // A blue tile.
    QLinearGradient sky(0, 0, 0, 66);
    sky.setColorAt(0, QColor(52, 120, 210));
    sky.setColorAt(1, QColor(18, 56, 128));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 63, 64), 10, 10);

    // An answer sheet with a folded corner and a shadow.
    QPainterPath sheet;
    sheet.moveTo(15, 9);
    sheet.lineTo(40, 9);
    sheet.lineTo(50, 19);
    sheet.lineTo(50, 57);
    sheet.lineTo(15, 57);
    sheet.closeSubpath();
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawPath(sheet.translated(2, 2));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(sheet);
    p.setBrush(QColor(200, 205, 215));
    p.drawPolygon(QPolygonF({QPointF(40, 9), QPointF(40, 19), QPointF(50, 19)}));

    // Four choice rows: a small box and a line of text each.
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 4; ++row) {
        const qreal y = 22 + row * 8.5;
        p.setPen(QPen(QColor(90, 110, 140), 1));
        p.drawRect(QRectF(19, y - 2.5, 5, 5));
        p.setPen(QPen(QColor(160, 170, 185), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(27, y), QPointF(row % 2 ? 40 : 45, y));
    }
    // The second choice filled in.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 110));
    p.drawRect(QRectF(20, 29, 3, 3));

    // A red tick across the lower right corner.
    QPen tick(QColor(220, 30, 30), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tick);
    p.drawPolyline(QPolygonF({QPointF(33, 47), QPointF(40, 54), QPointF(56, 36)}));
    p.restore();
}

QImage image(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const qreal scale = size / 66.0;
    p.translate((size - 65 * scale) / 2, 0);
    p.scale(scale, scale);
    paintEmblem(p);
    p.end();
    return image;
}

QIcon icon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(image(size)));
    return icon;
}

} // namespace ProgramIcon
