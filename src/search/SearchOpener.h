#pragma once

// Opens the search window: "Search for torrents" in the tray menu and the options page's
// fourth tab. One window at a time; a second request brings the open one forward.
class SearchOpener
{
public:
    virtual ~SearchOpener() = default;
    virtual void showSearchWindow() = 0;
};
