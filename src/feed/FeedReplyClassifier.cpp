#include "feed/FeedReplyClassifier.h"

namespace FeedReplyClassifier {

FeedFailure classify(const QString &reply, const QString &header)
{
    // A site that asks to be left alone says so in its status, whatever page comes with it.
    const QStringView status = QStringView(header).mid(9, 3);
    if (status == QLatin1String("429") || status == QLatin1String("503"))
        return FeedFailure::Busy;
    if (reply.isEmpty())
        return FeedFailure::Connection;
    if (reply.startsWith(QLatin1String("#PWKF12#")))
        return FeedFailure::None;
    if (header.mid(9, 3) == QLatin1String("404"))
        return FeedFailure::NotFound;
    if (reply.left(6).toLower() == QLatin1String("<html>")) {
        // The site's load page carries its notice at a fixed place.
        if (reply.mid(127, 15) == QLatin1String("The server load"))
            return FeedFailure::Busy;
        return FeedFailure::Error1;
    }
    if (reply.startsWith(QLatin1String("MySQL Error")))
        return FeedFailure::Error4;
    if (reply.startsWith(QLatin1String("#PWKF")))
        return FeedFailure::Error5;
    if (reply.startsWith(QLatin1String("Unauthorised")))
        return FeedFailure::Error6;
    return FeedFailure::Error7;
}

} // namespace FeedReplyClassifier
