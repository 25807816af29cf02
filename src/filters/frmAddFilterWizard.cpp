#include "filters/frmAddFilterWizard.h"

frmAddFilterWizard::frmAddFilterWizard(Services &services, ProgramState &state, QWidget *mainWindow,
                                       Hooks hooks)
    : FilterWizardWindow(FilterWizardLogic::Kind::Add, services, state, mainWindow, 0,
                         std::move(hooks))
{
}
