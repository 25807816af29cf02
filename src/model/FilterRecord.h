#pragma once

#include <QString>
#include <QStringList>

// One user filter. MatchMode is "Contains", "Exactly Matches" or "Does Not Contain"; Action
// is "Notify", "Download" or "Ignore". Keywords and Categories are never empty; a list holding
// only "*" means any name or every category. Removed marks a record the user has just
// removed, between the removal and the next save.
struct FilterRecord
{
    bool Enabled = false;
    QString MatchMode;
    QString Action;
    QStringList Keywords;
    QStringList Categories;
    bool Removed = false;

    friend bool operator==(const FilterRecord &, const FilterRecord &) = default;
};
