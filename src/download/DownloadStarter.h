#pragma once

struct DownloadRequest;

// Starts a download the user asked for, in its own window, the same way wherever the user
// asked (the "New Torrents" window, a notification, the search window).
class DownloadStarter
{
public:
    virtual ~DownloadStarter() = default;
    virtual void startDownload(const DownloadRequest &request) = 0;
};
