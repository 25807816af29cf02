#pragma once

#include <QSize>

// The size at which the profile window paints the avatar into its 150 by 185 pixel box. A
// picture that fits is painted as it is. A larger one is scaled: by its width when it is wider
// than high, by its height when it is higher than wide (by its width instead when the height
// rule would leave it wider than the box), and to the whole box when it is square.
class ThumbRule
{
public:
    static constexpr int BoxWidth = 150;
    static constexpr int BoxHeight = 185;

    static QSize fit(QSize picture, QSize box = QSize(BoxWidth, BoxHeight));
};
