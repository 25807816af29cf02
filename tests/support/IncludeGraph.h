#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The include graph between the folders of a source tree: folder A depends on folder B when a
// file under A/ includes "B/...". It keeps the program's layering: platform/ at the bottom
// (it includes only itself), model/ just above it (platform/ and itself), app/ and core/ at
// the top (only app/ includes core/, nobody includes app/), and no cycle between folders.
class IncludeGraph
{
public:
    // One include line of a file that names a folder of the tree.
    struct Include
    {
        QString file;   // relative to the tree, "feed/FeedCheck.cpp"
        int line = 0;   // from 1
        QString target; // as written, "model/ProgramState.h"
        QString from;   // "feed"
        QString to;     // "model"
    };

    // Reads every .h and .cpp file under root; the folders are root's subfolders.
    static IncludeGraph read(const QString &root);
    // Builds the graph from a file's text, for trees that exist only in memory.
    void addFile(const QString &relativePath, const QString &text);
    void addFolder(const QString &folder) { m_folders.insert(folder); }

    QStringList folders() const;
    // The includes between two different folders.
    const QList<Include> &includes() const { return m_includes; }
    // One text per broken rule (an upward include, a cycle); empty when the layering holds.
    QStringList problems() const;

private:
    static QString folderOf(const QString &path);
    QList<QStringList> cycles() const;

    QSet<QString> m_folders;
    // Every include whose first part could be a folder; problems() keeps those naming a folder
    // of the tree (a file may be read before the folder it includes is known).
    QList<Include> m_includes;
};
