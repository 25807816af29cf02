#pragma once

#include "feed/FeedFailure.h"

#include <QString>

// The checks a feed reply passes before it is parsed, in order: a "busy" status (429 Too Many
// Requests, 503 Service Unavailable); empty; not starting with the magic "#PWKF12#", then a 404
// status, an HTML page (the site's load page or any other), a database error, another feed
// version, refused credentials, anything else.
namespace FeedReplyClassifier {

// header is the response header block whose first line is the status line (its characters
// 10 to 12 are the code). FeedFailure::None: a feed of the right version.
FeedFailure classify(const QString &reply, const QString &header);

} // namespace FeedReplyClassifier
