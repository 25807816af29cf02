#pragma once

#include "account/ProfileTexts.h"
#include "account/ProfileTorrent.h"

#include <QList>
#include <QString>

// Reads the member's pages on the site: the private page (/my.php), which names the member and
// gives the user id, and the details page (/userdetails.php?id=N) with the values, the
// new-message notice, the seeding and leeching tables and the avatar address. There is no data
// interface for these: every value is cut out between fixed marker texts.
class ProfilePage
{
public:
    // What a details page says. values.name stays empty: the name comes from the private page.
    struct Details
    {
        ProfileTexts values;
        // The notice when it speaks of a message ("1 new message"), else empty.
        QString newMessages;
        QList<ProfileTorrent> torrents; // seeding rows first, then leeching rows
        // The avatar's address as the page gives it (entities decoded), or empty.
        QString avatarAddress;
    };

    // The text between the end of the first occurrence of start and the next occurrence of
    // end; empty when start is missing, when end is missing after it, or when nothing lies
    // between them.
    static QString getelement(const QString &source, const QString &start, const QString &end);

    // The private page: the member's name from the title, empty when the page is not the
    // member's private page (the login failed).
    static QString ownName(const QString &page);
    // The private page: the user id from the "Welcome" link; 0 when missing or not a number.
    static qint32 ownUserId(const QString &page);

    // True when the page is a member's details page ("Vellumstacks :: Details for ").
    static bool isDetailsPage(const QString &page);
    // Every value of a details page; userId is the member's id (the comment and post counts
    // are links that name it). A missing marker leaves its value empty.
    static Details details(const QString &page, qint32 userId);

    // The rows of one transfer table (the text between its marker and "</table>"): the pieces
    // after the table's header row, split at "<tr>".
    static QList<ProfileTorrent> tableRows(const QString &table);
    static ProfileTorrent row(QString row);

    // The share-ratio cell's value: the text after its colour value, that is after the first
    // ">" of the cell; empty when the cell has no ">".
    static QString shareRatio(const QString &cell);

    // A value as a label shows it: the common HTML entities decoded, line breaks as blanks.
    static QString displayText(const QString &html);

    // A user id or torrent id given as text: a positive whole decimal number within 32 bits,
    // digits only; 0 otherwise.
    static qint32 numberFrom(const QString &text);
};
