#pragma once

#include "filters/FilterWizardLogic.h"

#include "search/SearchResultModel.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

class FilterPreview;
class QModelIndex;
class SearchDatabase;
struct ProgramState;
struct Services;

namespace Ui {
class FilterWizardWindow;
}

// The window shared by the add and the edit filter wizard: keywords, categories, options and
// a summary, one frame at a time, over FilterWizardLogic. A fixed-size dialog shown modeless
// over the main window, which stays disabled until the wizard closes, and which deletes itself
// when it closes. frmAddFilterWizard and frmEditFilterWizard construct it.
class FilterWizardWindow : public QDialog
{
    Q_OBJECT
public:
    // What the wizard asks of the main window.
    struct Hooks
    {
        // The filter was stored in the table on the summary step: save filters.dat and reload
        // the filter list with this slot selected (savefilters, then loadfilters(select)).
        std::function<void(qint16 select)> reloadFilters;
        // "Finish" found the filter to be the only active one and has written filterenabled
        // = 1: tick "Filter Torrents?" on the options page.
        std::function<void()> setFilteringTicked;
        // The local torrent database for the preview, read once when the wizard opens; null
        // (or no hook) when there is none, and the preview says so.
        std::function<std::shared_ptr<const SearchDatabase>()> torrentDatabase;
    };

    ~FilterWizardWindow() override;

    // Shows the wizard without making it modal, centred over the main window, and disables the
    // main window until the wizard closes (by Cancel, Finish, Esc or the close box).
    void showOverOwner();

    FilterWizardLogic::Kind kind() const { return m_logic.kind(); }
    int currentStep() const { return m_logic.currentStep(); }

    // Shows a step (1 keywords, 2 categories, 3 options, 4 summary) from the controls of the
    // step before; step 4 stores the filter and asks the main window to save and reload; 5 is
    // "Finish", which closes the wizard. Other steps do nothing and give false, as does step 2
    // when the size boxes give no limits (a largest below the smallest): an information box
    // says why and step 1 stays on show.
    bool showstep(int step);

    // The preview beside the steps: what the filter as the controls describe it would have
    // caught in the local torrent database. Typing (keywords or sizes) restarts tmrPreview (150 ms,
    // single shot), whose tick recomputes it; the option buttons, the units and the category
    // buttons recompute at once.
    void onTmrPreviewTick();
    void refreshPreview();
    QTimer &tmrPreview() { return m_tmrPreview; }
    // The preview on show, or null without a database.
    const FilterPreview *preview() const { return m_preview.get(); }

protected:
    FilterWizardWindow(FilterWizardLogic::Kind kind, Services &services, ProgramState &state,
                       QWidget *mainWindow, int editIndex, Hooks hooks);

    // Every way of closing a dialog ends here: gives the main window back.
    void done(int result) override;

private:
    void onCommandNext();
    void onCommandBack();
    void onMoveToChosen();
    void onMoveToAvailable();
    void onPreviewDoubleClicked(const QModelIndex &index);
    void setUpPreview(const std::shared_ptr<const SearchDatabase> &database,
                      const ProgramState &state);

    FilterWizardLogic::Controls readControls() const;
    void writeControls(const FilterWizardLogic::Controls &controls);
    void showLists();
    void showSummary();
    void fixWindowSize();
    int labelWidthTwips(const QString &text) const;

    std::unique_ptr<Ui::FilterWizardWindow> m_ui;
    Services &m_services;
    Hooks m_hooks;
    FilterWizardLogic m_logic;
    bool m_ownerDisabled = false;
    std::unique_ptr<FilterPreview> m_preview;
    SearchResultModel m_previewModel;
    QTimer m_tmrPreview;
};
