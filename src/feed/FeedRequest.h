#pragma once

#include <QString>

// The address of one feed request. A normal check asks for at most 150 torrents starting at the
// newest id already parsed (the site sends that torrent again as the first row); a first run
// (lastparsed 0) asks for the 20 newest. The user name and password are form-encoded, so a
// password holding "&", "#", "+" or "%" reaches the site intact; letters and digits are sent
// as they are.
namespace FeedRequest {

// baseUrl + "/bots.php?startid=N&limit=150&u=..&p=..&v=11&c=0|1", or
// baseUrl + "/bots.php?limit=20&u=..&p=..&v=11&c=0|1" when lastparsed is 0.
QString address(const QString &baseUrl, qint32 lastparsed, const QString &user,
                const QString &password, bool withCategories);

// The category list is asked for on the first attempt after start and on every twentieth
// attempt after that: counter 0 or 20 becomes 1 and asks; any other value counts on.
bool takeCategoryFlag(qint16 &counter);

} // namespace FeedRequest
