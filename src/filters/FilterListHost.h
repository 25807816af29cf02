#pragma once

#include <QtGlobal>

// What the filter list needs from the main window around it: every change of the table is
// saved to filters.dat and the list is loaded again from the file.
class FilterListHost
{
public:
    virtual ~FilterListHost() = default;
    // The table into filters.dat; tells the user and returns false when the file cannot be
    // written (it then keeps its old content).
    virtual bool savefilters() = 0;
    // The table from filters.dat into the list, with the row to select afterwards (0 for
    // none); select receives the row clamped to the last one.
    virtual void loadfilters(qint16 &select) = 0;
};
