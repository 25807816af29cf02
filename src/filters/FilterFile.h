#pragma once

#include "model/FilterTable.h"

#include <QString>
#include <QStringList>

// filters.dat in the program folder, with the filters' size limits in filterlimits.dat beside
// it (FilterLimitsFile): reading both into a FilterTable and replacing both whole.
class FilterFile
{
public:
    // What reading the limits found besides the filters.
    struct LimitsReport
    {
        // One debug log line per limit whose filter is no longer in filters.dat.
        QStringList dropped;
        // The limits file could not be read and was set aside: the notice for the user (as
        // for the other stored files), else empty.
        QString setAside;
    };

    // The filters in the file, with their limits; an empty table when the file is missing or
    // empty (found is then false). A limits file that cannot be read is set aside as
    // filterlimits.dat.bad and the filters load without limits.
    static FilterTable read(const QString &path, bool *found = nullptr,
                            LimitsReport *report = nullptr);

    // Replaces the file with the table's filters (records marked Removed left out), then the
    // limits file, each atomically: a failed write leaves the old file. A table without filters
    // removes filters.dat, one without limits the limits file. False with the reason in
    // errorText and the file in failedPath when a file could not be written or removed; the
    // limits are not touched when filters.dat failed.
    static bool write(const QString &path, const FilterTable &table, QString *errorText = nullptr,
                      QString *failedPath = nullptr);

    // filterlimits.dat in the folder of filters.dat.
    static QString limitsPath(const QString &path);
};
