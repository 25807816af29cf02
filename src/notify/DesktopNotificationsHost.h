#pragma once

#include <QString>

struct Announcement;
struct DownloadRequest;

// What the desktop notifications need from the windows around them: the buttons' actions, and
// another way to tell the user when no notification server answers.
class DesktopNotificationsHost
{
public:
    virtual ~DesktopNotificationsHost() = default;
    // "default", a click on the notification: as a click on the popup.
    virtual void showNewTorrents() = 0;
    // "Download": the download starts as "Download Now" starts it.
    virtual void startDownload(const DownloadRequest &request) = 0;
    // "Open page".
    virtual void openPage(const QString &address) = 0;
    // No server showed the announcement; reason says why.
    virtual void notificationFailed(const Announcement &announcement, const QString &reason) = 0;
};
