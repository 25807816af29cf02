#include "platform/WindowSizeStore.h"

#include "platform/ScreenMetrics.h"
#include "platform/SettingsStore.h"
#include "platform/WindowHelpers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace WindowSizeStore {

QSize restored(const SettingsStore &store, const ScreenMetrics &screen, const QString &prefix,
               QSize fallback)
{
    const qint16 width = store.ReadSettingNumber(prefix + QStringLiteral("_width"));
    const qint16 height = store.ReadSettingNumber(prefix + QStringLiteral("_height"));
    if (width >= 1)
        fallback.setWidth(WindowHelpers::TwipsToPixelsX(screen, width));
    if (height >= 1)
        fallback.setHeight(WindowHelpers::TwipsToPixelsY(screen, height));
    return fallback;
}

void save(SettingsStore &store, const ScreenMetrics &screen, const QString &prefix, QSize size)
{
    const auto twips = [](double value) {
        return qint16(std::clamp<long>(std::lround(value), 1, std::numeric_limits<qint16>::max()));
    };
    SettingsStore::Batch batch(store);
    store.WriteSettingNumber(prefix + QStringLiteral("_width"),
                             twips(WindowHelpers::PixelsToTwipsX(screen, size.width())));
    store.WriteSettingNumber(prefix + QStringLiteral("_height"),
                             twips(WindowHelpers::PixelsToTwipsY(screen, size.height())));
}

} // namespace WindowSizeStore
