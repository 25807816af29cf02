#pragma once

#include <QString>

// The texts a download window shows about its progress. Sizes in KB are whole numbers with the
// user's locale's digit grouping ("1,234" in English, "1.234" in German).
class DownloadTexts
{
public:
    // "(512 Bytes of 20 KB downloaded)" while less than 1 KB has arrived, then
    // "(12 KB of 20 KB downloaded)". expected is 1 when the size is unknown.
    static QString progress(qint64 received, qint64 expected);

    // "Status: Finished (12 KB Downloaded in <1 Second)", "... in 1 Second)" for 1.0 to 1.5
    // seconds, "... in 7 Seconds)" beyond, from the bytes received and the tenths of a second
    // the body took.
    static QString finished(qint64 received, qint64 elapsedTenths);

    // Bytes as whole KB with digit grouping.
    static QString kilobytes(qint64 bytes);

    // The box for a target that another window is downloading, and its debug-log line for a
    // download a check started: "... (" + target + ")".
    static QString alreadyDownloading();
    static QString alreadyDownloadingLog(const QString &target);
    // The box for a missing torrent folder ("Critical Error"), and its one-line form for the
    // debug log.
    static QString folderMissing();
    static QString folderMissingLog();
    // The status line when the file cannot be written, and its debug-log line naming the file
    // (a name over 100 characters is cut there and its length given).
    static QString saveFailed(const QString &error);
    static QString saveFailedLog(const QString &target, const QString &error);
};
