#pragma once

#include "filters/FilterWizardWindow.h"

// "Add Filter Wizard": assembles a new filter and appends it to the filter table on the
// summary step. The main window creates it for "Add New" and calls showOverOwner().
class frmAddFilterWizard : public FilterWizardWindow
{
    Q_OBJECT
public:
    // state.Filters receives the filter; state.categories fills the category lists.
    frmAddFilterWizard(Services &services, ProgramState &state, QWidget *mainWindow, Hooks hooks);
};
