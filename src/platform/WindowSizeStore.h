#pragma once

#include <QSize>
#include <QString>

class ScreenMetrics;
class SettingsStore;

// The size a window remembers between openings, stored in twips as two numbers named
// prefix + "_width" and prefix + "_height".
namespace WindowSizeStore {

// The stored size in pixels; a dimension with no stored value (or one below 1) keeps the
// fallback's.
QSize restored(const SettingsStore &store, const ScreenMetrics &screen, const QString &prefix,
               QSize fallback);

// Stores size. The numbers are 16-bit: a window wider than that many twips keeps the largest
// value rather than wrapping round to a negative size that would never be restored.
void save(SettingsStore &store, const ScreenMetrics &screen, const QString &prefix, QSize size);

} // namespace WindowSizeStore
