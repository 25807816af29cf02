#pragma once

// What the account windows need from the main window that opens them: a user accepted in the
// login dialog is an unsaved change of the options page.
class AccountWindowsHost
{
public:
    virtual ~AccountWindowsHost() = default;
    // Enables the options page's Apply button.
    virtual void setOptionsDirty() = 0;
};
