#include "filters/FilterFile.h"

#include "filters/FilterLimitsFile.h"
#include "platform/BrokenFiles.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Replaces the file with the text, or removes it when it is to hold nothing.
bool replaceOrRemove(const QString &path, bool remove, const QString &text, QString *errorText)
{
    if (!remove)
        return ReplaceTextFileAtomically(path, text, errorText);
    QFile file(path);
    if (!file.exists() || file.remove())
        return true;
    if (errorText)
        *errorText = file.errorString();
    return false;
}

// The limits file's entries; false when it exists but cannot be read as one.
bool readLimits(const QString &path, QList<FilterLimitsFile::Entry> *entries)
{
    entries->clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return FilterLimitsFile::parse(FromAnsi(file.readAll()), entries);
}

} // namespace

QString FilterFile::limitsPath(const QString &path)
{
    return QFileInfo(path).dir().filePath(FilterLimitsFile::FileName);
}

FilterTable FilterFile::read(const QString &path, bool *found, LimitsReport *report)
{
    const QString text = QFile::exists(path) ? ReadTextFile(path) : QString();
    if (found)
        *found = !text.isEmpty();
    FilterTable table = text.isEmpty() ? FilterTable() : FilterTable::parse(text);

    const QString limits = limitsPath(path);
    QList<FilterLimitsFile::Entry> entries;
    if (!readLimits(limits, &entries)) {
        const QString notice = BrokenFiles::setAsideBroken(limits);
        if (report)
            report->setAside = notice;
        return table;
    }
    for (const FilterLimitsFile::Entry &entry : FilterLimitsFile::attach(&table, entries)) {
        if (report)
            report->dropped.append(FilterLimitsFile::droppedLine(entry));
    }
    return table;
}

bool FilterFile::write(const QString &path, const FilterTable &table, QString *errorText,
                       QString *failedPath)
{
    // A table of removed filters only still writes an empty filters.dat, as it always has.
    const QString limits = FilterLimitsFile::serialize(table);
    struct Target
    {
        QString path;
        bool remove;
        QString text;
    };
    for (const Target &target : {Target{path, table.isEmpty(), table.serialize()},
                                 Target{limitsPath(path), limits.isEmpty(), limits}}) {
        if (!replaceOrRemove(target.path, target.remove, target.text, errorText)) {
            if (failedPath)
                *failedPath = target.path;
            return false;
        }
    }
    return true;
}
