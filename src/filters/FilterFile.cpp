#include "filters/FilterFile.h"

#include "platform/TextUtils.h"

#include <QFile>

FilterTable FilterFile::read(const QString &path, bool *found)
{
    const QString text = QFile::exists(path) ? ReadTextFile(path) : QString();
    if (found)
        *found = !text.isEmpty();
    return text.isEmpty() ? FilterTable() : FilterTable::parse(text);
}

bool FilterFile::write(const QString &path, const FilterTable &table, QString *errorText)
{
    if (table.isEmpty()) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return true;
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return ReplaceTextFileAtomically(path, table.serialize(), errorText);
}
