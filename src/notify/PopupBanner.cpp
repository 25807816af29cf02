#include "notify/PopupBanner.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

QPixmap PopupBanner::paint()
{
    QPixmap pixmap(Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRect all(QPoint(0, 0), Size);

    QLinearGradient sky(0, 0, 0, Size.height());
    sky.setColorAt(0.0, QColor(58, 110, 190));
    sky.setColorAt(0.55, QColor(30, 72, 150));
    sky.setColorAt(1.0, QColor(18, 48, 110));
    p.fillRect(all, sky);

    // The faint squares: a staggered grid, each a little lighter than the blue under it, the
    // larger ones towards the right where the name sits.
    p.setPen(Qt::NoPen);
    for (int row = 0; row * 9 < Size.height(); ++row) {
        for (int col = 0; col * 9 < Size.width(); ++col) {
            if ((row + col) % 3 != 0)
                continue;
            const int side = 4 + (col * 9 * 4) / Size.width();
            const int alpha = 14 + ((row * 7 + col * 3) % 4) * 5;
            p.setBrush(QColor(255, 255, 255, alpha));
            p.drawRect(col * 9 + (row % 2) * 4, row * 9, side, side);
        }
    }

    // A thin lighter rim, so the banner reads as a card on a dark desktop.
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(120, 165, 230));
    p.drawRect(all.adjusted(0, 0, -1, -1));

    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    font.setBold(true);
    font.setCapitalization(QFont::SmallCaps);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.setFont(font);
    // Small capitals: a full-height V and the rest in capitals of lower-case height.
    const QString name = QStringLiteral("Vellumstacks");
    const int width = QFontMetrics(font).horizontalAdvance(name);
    const int x = Size.width() - width - 8;
    const int y = Size.height() - 5;
    p.setPen(QColor(10, 30, 70, 160));
    p.drawText(x + 1, y + 1, name);
    p.setPen(QColor(200, 220, 250));
    p.drawText(x, y, name);
    p.end();
    return pixmap;
}
