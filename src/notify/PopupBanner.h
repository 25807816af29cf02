#pragma once

#include <QPixmap>
#include <QSize>

// The popup's background picture, painted rather than shipped: a blue 359 x 62 banner with a
// faint pattern of lighter squares and the site's name, "VELLUMSTACKS", in small capitals in
// the lower right corner.
class PopupBanner
{
public:
    static constexpr QSize Size{359, 62};

    static QPixmap paint();
};
