#pragma once

#include <QByteArray>
#include <QString>

// Files read and written whole. Text in files is single-byte Latin-1.

// The whole file as text, cut at the first NUL; empty when missing or unreadable. The file is
// opened read-only, so a file the user may read but not write still reads.
QString ReadTextFile(const QString &path);

// Replaces a file whole: writes a temporary file beside it and renames it over the old one, so
// a failure leaves the old file as it was. On failure returns false and, when given, fills
// errorText with the reason.
// A private file (Privacy::OwnerOnly) is readable and writable by its owner only (0600),
// whatever the umask or the mode of the file it replaces.
enum class Privacy
{
    Umask,    // the mode of the file replaced, or the user's umask for a new one
    OwnerOnly // 0600
};
bool ReplaceFileAtomically(const QString &path, const QByteArray &data,
                           QString *errorText = nullptr, Privacy privacy = Privacy::Umask);
bool ReplaceTextFileAtomically(const QString &path, const QString &text,
                               QString *errorText = nullptr, Privacy privacy = Privacy::Umask);
