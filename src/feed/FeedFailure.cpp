#include "feed/FeedFailure.h"

#include "platform/StoredPassword.h"

namespace FeedFailureText {

QString status(FeedFailure failure)
{
    const auto malformed = [](int n) {
        return QStringLiteral("Error(%1) parsing torrent feed. Malformed feed.").arg(n);
    };
    switch (failure) {
    case FeedFailure::None:
        return QString();
    case FeedFailure::Connection:
        return QStringLiteral("Unable to fetch torrent feed. Check connection.");
    case FeedFailure::TooLarge:
        return QStringLiteral("Unable to fetch torrent feed. Reply too large.");
    case FeedFailure::NotFound:
        return QStringLiteral("Unable to fetch torrent feed. File not found on server.");
    case FeedFailure::Busy:
        return QStringLiteral("Unable to fetch torrent feed. Server too busy.");
    case FeedFailure::Error1:
        return malformed(1);
    case FeedFailure::Error2:
        return malformed(2);
    case FeedFailure::Error3:
        return malformed(3);
    case FeedFailure::Error4:
        return malformed(4);
    case FeedFailure::Error5:
        return QStringLiteral("Error(5) parsing torrent feed. Feed wrong version.");
    case FeedFailure::Error6:
        return QStringLiteral("Error(6) parsing torrent feed. Unauthorised.");
    case FeedFailure::Error7:
        return malformed(7);
    case FeedFailure::Error8:
        return malformed(8);
    case FeedFailure::SentElsewhere:
        return QStringLiteral("Unable to fetch torrent feed. Sent to another site.");
    case FeedFailure::KeyringLocked:
        return StoredPassword::lockedText();
    }
    return QString();
}

bool retried(FeedFailure failure)
{
    return failure != FeedFailure::SentElsewhere && failure != FeedFailure::KeyringLocked;
}

QString log(FeedFailure failure)
{
    const QString invalid =
        QStringLiteral("Failed: Unable to parse torrent details. Site returned invalid data.");
    switch (failure) {
    case FeedFailure::None:
        return QString();
    case FeedFailure::Connection:
        return QStringLiteral("Failed: Unable to retrieve torrent details.");
    case FeedFailure::TooLarge:
        return QStringLiteral(
            "Failed: Unable to retrieve torrent details. The reply is too large.");
    case FeedFailure::NotFound:
        return QStringLiteral("Failed: Unable to retrieve torrent details. File not found.");
    case FeedFailure::Busy:
        return QStringLiteral(
            "Failed: Unable to retrieve torrent details. The server is too busy.");
    case FeedFailure::Error1:
        return QStringLiteral(
            "Failed: Unable to parse torrent details. Site returned unexpected data.");
    case FeedFailure::Error5:
        return QStringLiteral(
            "Failed: Torrent feed wrong version. You may need to update the program.");
    case FeedFailure::Error6:
        return QStringLiteral("Failed: Unable to get torrent feed. Unauthorised.");
    case FeedFailure::Error2:
    case FeedFailure::Error3:
    case FeedFailure::Error4:
    case FeedFailure::Error7:
    case FeedFailure::Error8:
        return invalid;
    case FeedFailure::SentElsewhere:
        return QString();
    case FeedFailure::KeyringLocked:
        return StoredPassword::lockedText();
    }
    return QString();
}

} // namespace FeedFailureText
