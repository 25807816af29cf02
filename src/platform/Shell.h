#pragma once

#include <QString>

// Opens a web page in the browser or a file with its default program.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual void openUrl(const QString &url) = 0;
    // Only .torrent files are ever handed over.
    virtual void openFile(const QString &path) = 0;
};
