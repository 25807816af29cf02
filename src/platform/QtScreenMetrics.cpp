#include "platform/QtScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
const QScreen *primary()
{
    return QGuiApplication::primaryScreen();
}
} // namespace

QRect QtScreenMetrics::screenGeometry() const
{
    const QScreen *s = primary();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

QRect QtScreenMetrics::workArea() const
{
    const QScreen *s = primary();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

// 1440 twips per inch at the screen's logical resolution: 15 at 96 dpi.
double QtScreenMetrics::twipsPerPixelX() const
{
    const QScreen *s = primary();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double QtScreenMetrics::twipsPerPixelY() const
{
    const QScreen *s = primary();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
