#pragma once

#include <QString>

// Why a feed check failed: the transfer gives TooLarge, the reply checks the first eight, the
// parser Error(2), (3) and (8). Each has the text shown in the tray tooltip and the line written to
// the debug log.
enum class FeedFailure
{
    None,
    Connection, // empty reply
    TooLarge,   // the reply passed the size limit
    NotFound,   // HTTP 404
    Busy,       // the site's "server load" page
    Error1,     // any other HTML page
    Error2,     // no line break after the header block
    Error3,     // a torrent row without a TAB
    Error4,     // database error text
    Error5,     // a feed of another version
    Error6,     // credentials refused
    Error7,     // anything else
    Error8,     // a category line without a TAB
    // Ended before or without a reply, and not tried again: the same would happen again.
    SentElsewhere, // the site redirected the request to another address
    KeyringLocked  // the keyring would not give the password
};

namespace FeedFailureText {
QString status(FeedFailure failure);
// The log line; for SentElsewhere the transfer's own text, which names the address.
QString log(FeedFailure failure);
// False for the failures that are not tried again.
bool retried(FeedFailure failure);
} // namespace FeedFailureText
