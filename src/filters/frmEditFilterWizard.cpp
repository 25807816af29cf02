#include "filters/frmEditFilterWizard.h"

frmEditFilterWizard::frmEditFilterWizard(Services &services, ProgramState &state,
                                         QWidget *mainWindow, qint16 editIndex, Hooks hooks)
    : FilterWizardWindow(FilterWizardLogic::Kind::Edit, services, state, mainWindow, editIndex,
                         std::move(hooks)),
      m_editIndex(editIndex)
{
}
