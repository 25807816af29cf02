#include "filters/FilterWizardLogic.h"

#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"

namespace {

const QString Contains = QStringLiteral("Contains");
const QString ExactlyMatches = QStringLiteral("Exactly Matches");
const QString DoesNotContain = QStringLiteral("Does Not Contain");
const QString Notify = QStringLiteral("Notify");
const QString Download = QStringLiteral("Download");
const QString Ignore = QStringLiteral("Ignore");
const QString And = QStringLiteral(" AND ");
const QString Star = QStringLiteral("*");

} // namespace

FilterWizardLogic::FilterWizardLogic(Kind kind, FilterTable *table,
                                     const QStringList &categoryNames, int editIndex)
    : m_kind(kind), m_table(table), m_editIndex(kind == Kind::Edit ? editIndex : 0),
      m_lists(categoryNames)
{
    if (m_kind == Kind::Edit && m_editIndex >= 1 && m_editIndex <= m_table->count()) {
        m_pending = (*m_table)[m_editIndex];
        m_pending.Removed = false;
        m_lists = CategoryLists::forFilter(categoryNames, m_pending.Categories);
    }
}

FilterWizardLogic::Controls FilterWizardLogic::initialControls() const
{
    Controls controls;
    if (m_kind == Kind::Edit && m_editIndex >= 1 && m_editIndex <= m_table->count()) {
        const FilterRecord &filter = (*m_table)[m_editIndex];
        controls.matchOption = matchOptionFor(filter.MatchMode);
        controls.keywordText = keywordTextFor(filter.Keywords);
        setLimitControls(filter.Limits, &controls);
        controls.actionOption = actionOptionFor(filter.Action);
        controls.active = filter.Enabled;
    }
    return controls;
}

QString FilterWizardLogic::limitsFrom(const Controls &controls, SizeLimits *limits)
{
    if (!SizeLimit::fromNumber(controls.smallestText, controls.smallestUnit, &limits->smallest) ||
        !SizeLimit::fromNumber(controls.largestText, controls.largestUnit, &limits->largest))
        return QStringLiteral(
            "A size must be a number with at most two decimals, such as 700 or 1.5.");
    if (!limits->isOrdered())
        return QStringLiteral("The largest size must not be smaller than the smallest.");
    return QString();
}

void FilterWizardLogic::setLimitControls(const SizeLimits &limits, Controls *controls)
{
    controls->smallestText = limits.smallest.number();
    if (limits.smallest.isSet())
        controls->smallestUnit = limits.smallest.unit;
    controls->largestText = limits.largest.number();
    if (limits.largest.isSet())
        controls->largestUnit = limits.largest.unit;
}

QString FilterWizardLogic::sizeText(const SizeLimits &limits)
{
    return limits.isEmpty() ? QStringLiteral("Any") : limits.text();
}

FilterRecord FilterWizardLogic::filterFor(const Controls &controls) const
{
    FilterRecord filter;
    filter.Enabled = true;
    filter.MatchMode = matchModeFor(controls.matchOption, m_pending.MatchMode);
    filter.Keywords = keywordsFromText(keywordBoxText(controls.keywordText));
    filter.Categories = m_lists.filterCategories();
    // Limits the boxes cannot give yet count as none; a largest below the smallest takes
    // nothing, as such a filter would.
    limitsFrom(controls, &filter.Limits);
    filter.Action = actionFor(controls.actionOption, m_pending.Action);
    return filter;
}

int FilterWizardLogic::firstSlotBelow() const
{
    if (m_kind == Kind::Edit && m_editIndex >= 1 && m_editIndex <= m_table->count())
        return m_editIndex;
    return m_table->count() + 1;
}

bool FilterWizardLogic::showstep(int step, Controls &controls, SettingsStore *store)
{
    m_refusal.clear();
    switch (step) {
    case 1:
        break;
    case 2: {
        SizeLimits limits;
        m_refusal = limitsFrom(controls, &limits);
        if (!m_refusal.isEmpty())
            return false;
        m_pending.Limits = limits;
        m_pending.MatchMode = matchModeFor(controls.matchOption, m_pending.MatchMode);
        controls.keywordText = keywordBoxText(controls.keywordText);
        m_pending.Keywords = keywordsFromText(controls.keywordText);
        break;
    }
    case 3:
        m_pending.Categories = m_lists.filterCategories();
        break;
    case 4:
        m_pending.Enabled = controls.active;
        m_pending.Action = actionFor(controls.actionOption, m_pending.Action);
        m_pending.Removed = false;
        m_storedSlot = this->store();
        break;
    case 5:
        // Only a stored filter can switch filtering on.
        if (m_storedSlot > 0 && switchesFilteringOn(*m_table, m_pending)) {
            m_switchedFilteringOn = true;
            if (store)
                store->WriteSettingNumber(SettingName::FilterEnabled, 1);
        }
        break;
    default:
        return false;
    }
    m_step = step;
    return true;
}

int FilterWizardLogic::store()
{
    // Step 4 runs once per wizard; should it run again, it rewrites the same slot rather than
    // adding the filter twice.
    if (m_storedSlot > 0 && m_storedSlot <= m_table->count()) {
        (*m_table)[m_storedSlot] = m_pending;
        return m_storedSlot;
    }
    if (m_kind == Kind::Edit && m_editIndex >= 1 && m_editIndex <= m_table->count()) {
        (*m_table)[m_editIndex] = m_pending;
        return m_editIndex;
    }
    // An edit of a slot that no longer exists keeps the user's input as a new filter.
    m_table->append(m_pending);
    return m_table->count();
}

FilterWizardLogic::Summary FilterWizardLogic::summary() const
{
    Summary s;
    s.heading = summaryHeading(m_kind);
    s.rule = m_storedSlot > 0 ? m_table->ffname(m_storedSlot) : FilterTable::describe(m_pending);
    s.action = actionText(m_pending.Action);
    s.status = activeText(m_pending.Enabled);
    s.size = sizeText(m_pending.Limits);
    return s;
}

QString FilterWizardLogic::caption(Kind kind)
{
    return kind == Kind::Add ? QStringLiteral("Add Filter Wizard")
                             : QStringLiteral("Edit Filter Wizard");
}

FilterWizardLogic::StepView FilterWizardLogic::stepView(Kind kind, int step)
{
    const bool add = kind == Kind::Add;
    StepView view;
    view.nextCaption = QStringLiteral("Next");
    switch (step) {
    case 1:
        view.title = add ? QStringLiteral("Step 1/3 - Specify Keywords")
                         : QStringLiteral("Step 1/3 - Edit Keywords");
        view.explanation =
            QStringLiteral("You will be alerted of torrents matching the criteria below");
        break;
    case 2:
        view.title = add ? QStringLiteral("Step 2/3 - Specify Categories")
                         : QStringLiteral("Step 2/3 - Edit Categories");
        view.explanation = QStringLiteral("Please enter the categories to include in the search");
        view.backEnabled = true;
        break;
    case 3:
        view.title = QStringLiteral("Step 3/3 - Filter Options");
        view.explanation = QStringLiteral("Please select the required options");
        view.backEnabled = true;
        break;
    case 4:
    case 5:
        view.title = add ? QStringLiteral("Filter added") : QStringLiteral("Filter edited");
        view.explanation = add ? QStringLiteral("You have successfully added a filter")
                               : QStringLiteral("You have successfully edited a filter");
        view.nextCaption = QStringLiteral("Finish");
        view.cancelEnabled = false;
        break;
    default:
        return StepView();
    }
    return view;
}

QString FilterWizardLogic::summaryHeading(Kind kind)
{
    return kind == Kind::Add ? QStringLiteral("The following filter has been successfully added:")
                             : QStringLiteral("The following filter has been successfully edited:");
}

QString FilterWizardLogic::keywordBoxText(const QString &typed)
{
    QString text = typed;
    text.replace(QLatin1Char('.'), QLatin1Char(' '));
    return text;
}

QStringList FilterWizardLogic::keywordsFromText(const QString &boxText)
{
    if (boxText.contains(And))
        return boxText.split(And);
    if (!boxText.isEmpty())
        return {boxText};
    return {Star};
}

QString FilterWizardLogic::keywordTextFor(const QStringList &keywords)
{
    if (keywords.size() == 1 && keywords.first() == Star)
        return QString();
    return keywords.join(And);
}

QString FilterWizardLogic::matchModeFor(int option, const QString &current)
{
    switch (option) {
    case 1:
        return Contains;
    case 2:
        return ExactlyMatches;
    case 3:
        return DoesNotContain;
    default:
        return current;
    }
}

QString FilterWizardLogic::actionFor(int option, const QString &current)
{
    switch (option) {
    case 4:
        return Notify;
    case 5:
        return Download;
    case 6:
        return Ignore;
    default:
        return current;
    }
}

int FilterWizardLogic::matchOptionFor(const QString &matchMode)
{
    if (matchMode == Contains)
        return 1;
    if (matchMode == ExactlyMatches)
        return 2;
    return 3;
}

int FilterWizardLogic::actionOptionFor(const QString &action)
{
    if (action == Notify)
        return 4;
    if (action == Download)
        return 5;
    return 6;
}

QString FilterWizardLogic::actionText(const QString &action)
{
    if (action == Notify)
        return Notify;
    if (action == Download)
        return QStringLiteral("Notify and Download");
    return Ignore;
}

QString FilterWizardLogic::activeText(bool enabled)
{
    return enabled ? QStringLiteral("Active") : QStringLiteral("Inactive");
}

QString FilterWizardLogic::fitToWidth(const QString &text, const TextWidth &width, int limitTwips)
{
    if (width(text) <= limitTwips)
        return text;
    QString fitted = text;
    while (!fitted.isEmpty() && width(fitted) >= limitTwips + 1)
        fitted.chop(1);
    return fitted + QStringLiteral("...");
}

bool FilterWizardLogic::switchesFilteringOn(const FilterTable &table, const FilterRecord &pending)
{
    return table.CountActiveFilters() == 1 && pending.Enabled;
}
