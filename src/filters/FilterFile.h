#pragma once

#include "model/FilterTable.h"

#include <QString>

// filters.dat in the program folder: reading it into a FilterTable and replacing it whole.
class FilterFile
{
public:
    // The filters in the file; an empty table when it is missing or empty (found is then
    // false).
    static FilterTable read(const QString &path, bool *found = nullptr);

    // Replaces the file with the table's filters (records marked Removed left out), atomically:
    // a failed write leaves the old file. A table without filters removes the file. False with
    // the reason in errorText when the file could not be written or removed.
    static bool write(const QString &path, const FilterTable &table, QString *errorText = nullptr);
};
