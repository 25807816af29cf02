#pragma once

#include <QString>

// The checks of a search database download (the whole list, or the rows after search_newest)
// and the failure box each outcome shows. A good reply begins with "#PWKF12#".
class SearchReply
{
public:
    enum class Kind
    {
        Create, // the whole list: "Download Failed"
        Update, // the newer rows: "Update Failed"
    };
    enum class Failure
    {
        None,
        Empty,        // nothing arrived
        NotFound,     // header status 404
        Html,         // a web page
        ServerError,  // "MySQL Error"
        Unauthorised, // the site refused the user name or password
        TooLarge,     // the reply passed the download's size limit
        Unspecified,  // anything else that is not the feed
    };

    // In order: empty, too large, a 404 status (characters 10 to 12 of the header block), a
    // page ("<html>" in any case), "MySQL Error", "Unauthorised", not "#PWKF12#".
    static Failure classify(const QString &reply, const QString &header, bool tooLarge);

    // The failure box: its title, its text (ending in two blanks), and whether a failure on the
    // first attempt starts the next attempt without a box.
    static QString title(Kind kind);
    static QString message(Kind kind, Failure failure);
    static bool silentRetryOnFirstAttempt(Kind kind, Failure failure);

    // The rows of a good reply: everything after the header block (its first two lines). Empty
    // when nothing follows it.
    static QString rowsOf(const QString &reply);
    // Those rows up to and including their last CR LF: a tail cut short is not a row.
    static QString wholeRowsOf(const QString &reply);

    // The address of a download: the newest 30000 rows, or those from startId on.
    static QString createAddress(const QString &baseUrl, const QString &user,
                                 const QString &password);
    static QString updateAddress(const QString &baseUrl, const QString &user,
                                 const QString &password, const QString &startId);

    // The write of a new file failed.
    static QString writeFailedText()
    {
        return QStringLiteral("Critical Error - Could not write torrentdb to file ");
    }
    // torrents.db holds no row that can be read.
    static QString loadFailedTitle() { return QStringLiteral("Load Failed"); }
    static QString loadFailedText()
    {
        return QStringLiteral("Loading failed. Your torrent database could not be read.  ");
    }
};
