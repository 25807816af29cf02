#pragma once

#include "filters/FilterWizardWindow.h"

// "Edit Filter Wizard": opens with the controls and category lists filled from one slot of the
// filter table (EditIndex) and writes the filter back into that slot on the summary step. The
// main window creates it for editfilter(slot) and calls showOverOwner().
class frmEditFilterWizard : public FilterWizardWindow
{
    Q_OBJECT
public:
    frmEditFilterWizard(Services &services, ProgramState &state, QWidget *mainWindow,
                        qint16 editIndex, Hooks hooks);

    // The slot being edited.
    qint16 EditIndex() const { return m_editIndex; }

private:
    qint16 m_editIndex;
};
