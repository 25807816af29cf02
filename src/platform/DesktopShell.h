#pragma once

#include "platform/Shell.h"

// Opens pages and files through the desktop (xdg-open).
class DesktopShell : public Shell
{
public:
    void openUrl(const QString &url) override;
    void openFile(const QString &path) override;
};
