#pragma once

#include "search/SearchReply.h"

#include <memory>

class SearchDatabase;

// What the search database procedures need from the search window: its busy panels, the
// result list, closing, and the questions and messages a failure brings (the window shows
// them; the procedures only say what happened).
class SearchDatabaseHost
{
public:
    virtual ~SearchDatabaseHost() = default;
    // The "Loading database..." and "Updating database..." panels.
    virtual void loading(bool on) = 0;
    virtual void downloading(bool on) = 0;
    // Empties the result list (a load begins).
    virtual void clearResults() = 0;
    // A database was loaded (null: none could be): the window searches it and lists every
    // row, newest first.
    virtual void databaseLoaded(std::shared_ptr<const SearchDatabase> database) = 0;
    // The procedures are done with the window: it closes.
    virtual void closeWindow() = 0;
    // A download failed: true when the user asks to try again.
    virtual bool retryDownload(SearchReply::Kind kind, SearchReply::Failure why) = 0;
    // torrents.db could not be written (the old copy stays).
    virtual void databaseNotWritten() = 0;
    // The keyring has not given the site password: no request goes out.
    virtual void passwordUnavailable(SearchReply::Kind kind) = 0;
    // torrents.db could not be read: true when the user asks for a new copy.
    virtual bool retryUnreadableDatabase() = 0;
};
