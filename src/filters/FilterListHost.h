#pragma once

#include <QStringList>

// What the filter list needs from the program around it: a change of the filtering box is a
// pending change of the options page, and files found broken on loading are reported.
class FilterListHost
{
public:
    virtual ~FilterListHost() = default;
    virtual void setOptionsDirty() = 0;
    // Files set aside as broken while loading; the user is told.
    virtual void reportBrokenFiles(const QStringList &lines) = 0;
};
