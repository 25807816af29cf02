#pragma once

#include "account/ProfileTexts.h"

#include <QString>

// profile.cache: the last profile read from the site, so that the window shows it at once the
// next time it opens. Twelve lines separated by CR LF, none after the last: "#PWKPC10#", the
// site user name it was read for, the user id, then the nine texts.
class ProfileCache
{
public:
    static const QString Header; // "#PWKPC10#"

    struct Entry
    {
        bool valid = false;
        qint32 userId = 0;
        ProfileTexts texts;
    };

    // The file's text for a user; line breaks inside a text become blanks so that the file
    // keeps its twelve lines.
    static QString format(const QString &userName, qint32 userId, const ProfileTexts &texts);
    // The entry the text holds for that user: valid only with exactly twelve lines, the header,
    // that user name (letter case counts) and a user id that is a positive number.
    static Entry parse(const QString &text, const QString &userName);

    // Reads the file; a missing or unreadable file gives an invalid entry.
    static Entry read(const QString &path, const QString &userName);
    // Replaces the file whole (a temporary file renamed over it); on failure the old file
    // stays and errorText says why.
    static bool write(const QString &path, const QString &userName, qint32 userId,
                      const ProfileTexts &texts, QString *errorText = nullptr);
};
