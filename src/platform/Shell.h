#pragma once

#include <QString>

// Opens a web page in the browser or a file with its default program.
class Shell
{
public:
    // Whether the user asked for it by a click or a menu item: then a refusal gets a box.
    enum class Asked
    {
        ByUser,
        InBackground
    };

    virtual ~Shell() = default;
    // Pages are opened at the user's click.
    virtual void openUrl(const QString &url) = 0;
    // Only .torrent files are ever handed over.
    virtual void openFile(const QString &path, Asked asked) = 0;
};
