#pragma once

#include <QString>

// The checks the options page runs before it saves anything, and the conversion between the
// minutes shown on the page and the seconds stored. Numbers follow the default QLocale (the
// user's decimal separator).
namespace OptionsValidation {

struct Result
{
    // 0 when everything is valid, else the failing check: 1 interval not a number, 2 interval
    // out of 2..120, 3 wait not a number, 4 wait out of 1..20, 5 path too short, 6 folder
    // missing.
    int failedStep = 0;
    QString message;
    bool critical = false; // the folder message; the others are notices
    double intervalMinutes = 0;
    double waitMinutes = 0;

    bool ok() const { return failedStep == 0; }
};

// The six checks in order; the first that fails decides. The wait is checked even when the
// start-up wait is switched off.
Result validate(const QString &intervalText, const QString &waitText, const QString &pathText);

// A number in the default locale's format (blanks around it allowed); false when it is not one.
bool parseMinutes(const QString &text, double &minutes);

// Seconds as minutes for the boxes: 600 shows 10, 150 shows 2.5.
QString minutesText(int seconds);

// Minutes × 60 rounded to the nearest second, halves to even (2.5 gives 150).
qint16 minutesToSeconds(double minutes);

} // namespace OptionsValidation
