#include "core/OptionsValidation.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace OptionsValidation {

bool parseMinutes(const QString &text, double &minutes)
{
    QLocale locale;
    // "1,5" must not pass as 15 where the comma groups thousands.
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return false;
    minutes = value;
    return true;
}

QString minutesText(int seconds)
{
    return QLocale().toString(seconds / 60.0, 'g', 15);
}

qint16 minutesToSeconds(double minutes)
{
    const double seconds = minutes * 60.0;
    double whole = std::floor(seconds);
    const double fraction = seconds - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<qint16>(whole);
}

Result validate(const QString &intervalText, const QString &waitText, const QString &pathText)
{
    Result r;
    const auto failed = [&r](int step, const QString &message, bool critical = false) {
        r.failedStep = step;
        r.message = message;
        r.critical = critical;
        return r;
    };
    if (!parseMinutes(intervalText, r.intervalMinutes))
        return failed(1, QStringLiteral("Please enter time in minutes "));
    if (r.intervalMinutes < 2 || r.intervalMinutes > 120)
        return failed(2,
                      QStringLiteral("Invalid torrent check interval. Must be between 2 and 120 "));
    if (!parseMinutes(waitText, r.waitMinutes))
        return failed(3, QStringLiteral("Please enter wait time in minutes "));
    if (r.waitMinutes < 1 || r.waitMinutes > 20)
        return failed(4, QStringLiteral("Invalid startup wait time. Must be between 1 and 20 "));
    if (pathText.size() < 3)
        return failed(5, QStringLiteral("Please enter a path to save torrent files "));
    if (!QFileInfo(pathText).isDir())
        return failed(6, QStringLiteral("The torrent path you entered is invalid "), true);
    return r;
}

} // namespace OptionsValidation
