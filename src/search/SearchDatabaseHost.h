#pragma once

#include <memory>

class QWidget;
class SearchDatabase;

// What the search database procedures need from the search window: its busy panels, the
// result list, closing, and the window that owns their message boxes.
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
    virtual QWidget *dialogParent() = 0;
};
