#pragma once

#include "model/SizeLimits.h"

#include <QString>
#include <QStringList>

// One user filter. MatchMode is "Contains", "Exactly Matches" or "Does Not Contain"; Action
// is "Notify", "Download" or "Ignore". Keywords and Categories are never empty; a list holding
// only "*" means any name or every category. Limits are the sizes the filter takes (none: every
// size); filters.dat does not hold them, filterlimits.dat does. Removed marks a record the user
// has just removed, between the removal and the next save.
struct FilterRecord
{
    bool Enabled = false;
    QString MatchMode;
    QString Action;
    QStringList Keywords;
    QStringList Categories;
    SizeLimits Limits{};
    bool Removed = false;

    friend bool operator==(const FilterRecord &, const FilterRecord &) = default;
};
