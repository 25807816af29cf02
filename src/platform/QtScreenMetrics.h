#pragma once

#include "platform/ScreenMetrics.h"

// The primary screen as Qt reports it.
class QtScreenMetrics : public ScreenMetrics
{
public:
    QRect screenGeometry() const override;
    QRect workArea() const override;
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
};
