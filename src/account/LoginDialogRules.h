#pragma once

#include <QString>

#include <functional>

struct Settings;

// The rules of the "User Details" dialog, which changes or removes the site credentials held
// in Settings; they are stored with the other options when the user applies them.
class LoginDialogRules
{
public:
    static const QString EnterUserName; // "Please enter a username "
    static const QString EnterPassword; // "Please enter a password "

    // What pressing OK leads to.
    struct Result
    {
        // The dialog closes, the options are marked changed (Apply enabled) and info_username
        // shows `userCaption`.
        bool accepted = false;
        QString userCaption;
        // Information message to show first, or empty; the dialog stays open.
        QString message;
    };

    // Asked with Yes and No before removing the details; true for Yes.
    using Confirm = std::function<bool(const QString &question)>;

    // The message for missing input, or empty when both are given. The user name comes first:
    // with both boxes empty, only the user name is asked for.
    static QString missingInput(const QString &user, const QString &password);

    // "By removing your login details you will no longer be able to use Pollwick." CR LF
    // "Are you sure?"
    static QString removalQuestion();

    // info_username: the name + " (click to change)", or "Not set (click to set)" when the
    // name is empty (as the options page loads it).
    static QString userCaption(const QString &user);
    // info_username after the details were removed: "Not set (click to change)".
    static QString removedCaption();

    // OK: with `remove` ticked, asks `confirm` and on Yes empties both credentials; otherwise
    // checks the input and takes it over. Settings changes only when the result is accepted.
    static Result ok(Settings &settings, bool remove, const QString &user, const QString &password,
                     const Confirm &confirm);
};
