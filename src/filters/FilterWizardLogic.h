#pragma once

#include "filters/CategoryLists.h"
#include "model/FilterRecord.h"
#include "model/FilterTable.h"

#include <QString>
#include <QStringList>

#include <functional>

class SettingsStore;

// What the add and edit filter wizards compute. One instance per open wizard holds the step on
// show, the filter being assembled and the two category lists. The window reads its step
// controls into Controls, calls showstep, and shows what stepView, summary and the lists say.
// Steps: 1 keywords, 2 categories, 3 options, 4 summary (the filter is stored by then), 5 the
// "Finish" button.
class FilterWizardLogic
{
public:
    enum class Kind
    {
        Add,
        Edit
    };

    // The step controls: Text1, Option1..3 (1 Contains, 2 Exactly Matches, 3 Does Not Contain),
    // the size boxes with their units (empty: no limit), Option4..6 (4 Notify, 5 Download,
    // 6 Ignore) and Check2 ("Set this filter as active"). An option of 0 means none of the three
    // buttons is selected.
    struct Controls
    {
        QString keywordText;
        int matchOption = 1;
        QString smallestText;
        SizeLimit::Unit smallestUnit = SizeLimit::Unit::MB;
        QString largestText;
        SizeLimit::Unit largestUnit = SizeLimit::Unit::GB;
        int actionOption = 4;
        bool active = true;
    };

    // Titles and buttons of one step.
    struct StepView
    {
        QString title;       // info_title1
        QString explanation; // info_title2
        QString nextCaption; // command_next
        bool backEnabled = false;
        bool cancelEnabled = true;
    };

    // The texts of the summary step for the stored filter.
    struct Summary
    {
        QString heading; // Label3
        QString rule;    // info_filter before fitting it to the label (fitToWidth)
        QString action;  // info_action
        QString status;  // info_active
        QString size;    // info_size
    };

    // Width in twips of a text as the label would show it.
    using TextWidth = std::function<int(const QString &)>;

    static constexpr int SummaryWidthTwips = 4100;

    // The edit wizard works on slot editIndex of the table; the add wizard appends to it.
    FilterWizardLogic(Kind kind, FilterTable *table, const QStringList &categoryNames,
                      int editIndex = 0);

    Kind kind() const { return m_kind; }
    int currentStep() const { return m_step; }
    int editIndex() const { return m_editIndex; }
    const FilterRecord &pending() const { return m_pending; }
    CategoryLists &lists() { return m_lists; }
    const CategoryLists &lists() const { return m_lists; }

    // The controls as the wizard opens: the add wizard's defaults, or the edit wizard's slot.
    Controls initialControls() const;

    // The filter the controls describe right now, as steps 2 to 4 would assemble it (the
    // keyword box read with its dots replaced, the categories of List2), enabled. For the
    // preview: it changes neither the controls nor the pending filter.
    FilterRecord filterFor(const Controls &controls) const;
    // The slot below the filters that run before this one: after every filter for the add
    // wizard, the edited slot for the edit wizard.
    int firstSlotBelow() const;

    // Shows a step, taking the input of the step before from the controls. Step 2 writes the
    // keyword box back with its dots replaced; it is refused (false, the step stays, refusal()
    // says why) when the size boxes do not give limits (see limitsFrom). Step 4 stores the filter
    // in the table; the window then saves filters.dat and reloads the list with storedSlot()
    // selected. Step 5
    // ("Finish") switches filtering on when the stored filter is the only active one (see
    // switchesFilteringOn) and writes "filterenabled" = 1 to `store`. Steps outside 1 to 5 do
    // nothing and give false.
    bool showstep(int step, Controls &controls, SettingsStore *store = nullptr);
    // The message for the user when the last showstep was refused; empty otherwise.
    const QString &refusal() const { return m_refusal; }

    StepView stepView() const { return stepView(m_kind, m_step); }
    // The slot the filter was stored in on step 4; 0 before.
    int storedSlot() const { return m_storedSlot; }
    Summary summary() const;
    // Step 5 switched filtering on: tick "Filter Torrents?".
    bool switchedFilteringOn() const { return m_switchedFilteringOn; }

    // --- the rules, for the window and for the tests ---

    // "Add Filter Wizard" or "Edit Filter Wizard".
    static QString caption(Kind kind);
    static StepView stepView(Kind kind, int step);
    // Label3 on the summary step.
    static QString summaryHeading(Kind kind);

    // The keyword box after step 2: every "." becomes a blank.
    static QString keywordBoxText(const QString &typed);
    // The keywords of that text: split at every " AND " (exact case, pieces kept as they are,
    // empty ones too); "*" alone when the text is empty.
    static QStringList keywordsFromText(const QString &boxText);
    // The text the edit wizard shows for a filter's keywords: joined by " AND ", except that
    // "*" alone shows an empty box.
    static QString keywordTextFor(const QStringList &keywords);

    // The size limits the boxes give; empty text for none. The refusal message when a box
    // holds no number of at most two decimals, or the largest is below the smallest; empty
    // when they are fine.
    static QString limitsFrom(const Controls &controls, SizeLimits *limits);
    // The size boxes' texts and units for a filter's limits.
    static void setLimitControls(const SizeLimits &limits, Controls *controls);
    // info_size: the limits as the description words them, or "Any".
    static QString sizeText(const SizeLimits &limits);

    // MatchMode for an option (1 to 3) and Action for an option (4 to 6); `current` for 0.
    static QString matchModeFor(int option, const QString &current);
    static QString actionFor(int option, const QString &current);
    // The option buttons for a filter: anything unknown selects the third button.
    static int matchOptionFor(const QString &matchMode);
    static int actionOptionFor(const QString &action);

    // info_action: "Notify", "Notify and Download", or "Ignore" for anything else.
    static QString actionText(const QString &action);
    // info_active: "Active" or "Inactive".
    static QString activeText(bool enabled);
    // A label text no wider than the limit: when wider, characters are taken off the end
    // while it is at least limit + 1 twips wide, then "..." is added.
    static QString fitToWidth(const QString &text, const TextWidth &width,
                              int limitTwips = SummaryWidthTwips);

    // "Finish" switches filtering on when the stored filter is enabled and is the only active
    // filter of the table.
    static bool switchesFilteringOn(const FilterTable &table, const FilterRecord &pending);

private:
    int store();

    Kind m_kind;
    FilterTable *m_table;
    int m_editIndex;
    int m_step = 0;
    int m_storedSlot = 0;
    bool m_switchedFilteringOn = false;
    QString m_refusal;
    FilterRecord m_pending;
    CategoryLists m_lists;
};
