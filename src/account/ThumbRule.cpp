#include "account/ThumbRule.h"

#include <QtGlobal>

#include <algorithm>

QSize ThumbRule::fit(QSize picture, QSize box)
{
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0)
        return QSize();
    if (w <= box.width() && h <= box.height())
        return picture;
    if (w == h)
        return box;
    const auto byWidth = [&] {
        return QSize(box.width(), std::max(1, qRound(double(h) * box.width() / w)));
    };
    if (w > h)
        return byWidth();
    const QSize byHeight(std::max(1, qRound(double(w) * box.height() / h)), box.height());
    return byHeight.width() > box.width() ? byWidth() : byHeight;
}
