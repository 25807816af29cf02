#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;
struct Settings;

// The text of "Save Debug Info": the program's version, the options that matter for support,
// the filters file and the debug log, each line ended by CR LF. The password never appears,
// only whether one is set.
class DebugReport
{
public:
    struct Input
    {
        const Settings *settings = nullptr;
        const SettingsStore *store = nullptr;
        QStringList procRows;       // the rows of the watched-program list
        bool filterEnabled = false; // the "Filter Torrents?" box
        QString filtersPath;        // filters.dat
        int filterCount = 0;        // filters in the table
        QStringList logLines;
    };

    static QString build(const Input &input);
};
