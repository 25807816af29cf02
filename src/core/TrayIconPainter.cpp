#include "core/TrayIconPainter.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace {

const QColor Blue(0x2f, 0x6d, 0xb5);
const QColor Green(0x2e, 0x9a, 0x3c);
const QColor Red(0xc6, 0x28, 0x28);
const QColor Grey(0x76, 0x76, 0x76);
const QColor Yellow(0xff, 0xd2, 0x00);

void badge(QPainter &p, const QColor &fill)
{
    p.setPen(QPen(fill.darker(150), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15.0, 15.0), 3.5, 3.5);
}

void arrow(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 3.0, 3.0, 5.5));
    p.drawPolygon(QPolygonF({QPointF(3.5, 8.0), QPointF(12.5, 8.0), QPointF(8.0, 13.0)}));
}

void cross(QPainter &p)
{
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.8, 4.8), QPointF(11.2, 11.2));
    p.drawLine(QPointF(11.2, 4.8), QPointF(4.8, 11.2));
}

void bars(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 4.0, 2.5, 8.0));
    p.drawRect(QRectF(9.0, 4.0, 2.5, 8.0));
}

void newDot(QPainter &p)
{
    p.setPen(QPen(QColor(0x8a, 0x6d, 0x00), 0.8));
    p.setBrush(Yellow);
    p.drawEllipse(QPointF(12.5, 3.5), 3.2, 3.2);
}

// Six dots round the centre; the frame's dot is white, the one before it half bright.
void spinner(QPainter &p, int frame)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        const double angle = (i * 60.0 - 90.0) * M_PI / 180.0;
        const QPointF centre(8.0 + 4.6 * std::cos(angle), 8.0 + 4.6 * std::sin(angle));
        const int age = (frame - i + 6) % 6;
        const int alpha = age == 0 ? 255 : age == 1 ? 170 : 80;
        p.setBrush(QColor(255, 255, 255, alpha));
        p.drawEllipse(centre, age == 0 ? 2.0 : 1.6, age == 0 ? 2.0 : 1.6);
    }
}

void draw(QPainter &p, TrayPicture picture)
{
    switch (picture) {
    case TrayPicture::NoNew:
        badge(p, Blue);
        arrow(p);
        break;
    case TrayPicture::New:
        badge(p, Green);
        arrow(p);
        newDot(p);
        break;
    case TrayPicture::Error:
        badge(p, Red);
        cross(p);
        break;
    case TrayPicture::ErrorNew:
        badge(p, Red);
        cross(p);
        newDot(p);
        break;
    case TrayPicture::Paused:
        badge(p, Grey);
        bars(p);
        break;
    case TrayPicture::ErrorPaused:
        badge(p, Red);
        bars(p);
        break;
    case TrayPicture::Check1:
    case TrayPicture::Check2:
    case TrayPicture::Check3:
    case TrayPicture::Check4:
    case TrayPicture::Check5:
    case TrayPicture::Check6:
        badge(p, Blue);
        spinner(p, int(picture) - int(TrayPicture::Check1));
        break;
    }
}

} // namespace

namespace TrayIconPainter {

QPixmap pixmap(TrayPicture picture, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, picture);
    return pm;
}

QIcon icon(TrayPicture picture)
{
    static QHash<int, QIcon> cache;
    auto it = cache.find(int(picture));
    if (it != cache.end())
        return *it;
    QIcon icon;
    for (const int size : {16, 22, 32, 48})
        icon.addPixmap(pixmap(picture, size));
    cache.insert(int(picture), icon);
    return icon;
}

} // namespace TrayIconPainter
