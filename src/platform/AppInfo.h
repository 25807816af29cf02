#pragma once

#include <QString>

// Program identity: the title names the settings key, the autostart entry, the tray tooltip
// and the caption of message boxes; the version appears in the log, the About window, the
// debug report and the User-Agent of the site requests.
namespace AppInfo {

inline const QString Title = QStringLiteral("Pollwick");
constexpr int Major = 1;
constexpr int Minor = 3;
constexpr int Revision = 512;

// "1.3.512"
inline QString VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(Major).arg(Minor).arg(Revision);
}

// Home page shown in the About window.
inline const QString HomePage = QStringLiteral("https://pollwick.example.org/");

// Legal notice shown in the About window.
inline const QString LegalNotice =
    QStringLiteral("Copyright (C) 2008-2026 The Pollwick Developers. Pollwick is not affiliated "
                   "with Vellumstacks. Use it only with an account you are entitled to use.");

} // namespace AppInfo
