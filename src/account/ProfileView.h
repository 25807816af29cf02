#pragma once

#include "account/ProfileTexts.h"
#include "account/ProfileTorrent.h"

#include <QList>
#include <QString>

// What the profile exchange asks of its window. frmProfile implements it with its controls;
// the exchange decides when, the window how it looks.
class ProfileView
{
public:
    virtual ~ProfileView() = default;

    // The status line (Label4): its text, and red or the normal text colour.
    virtual void setStatus(const QString &text) = 0;
    virtual void setStatusRed(bool red) = 0;
    // Refresh (Command1).
    virtual void setRefreshEnabled(bool enabled) = 0;
    // The "Loading profile..." panel (Frame3).
    virtual void setWaitPanelVisible(bool visible) = 0;
    // Enables or greys out the profile frame, its labels, the list and the avatar together.
    virtual void hs(bool enabled) = 0;
    // The name (centred, the new-message mark beside it) and the eight values.
    virtual void showTexts(const ProfileTexts &texts) = 0;
    // The new-message mark with the notice as its tooltip; empty text hides it.
    virtual void showNewMessages(const QString &notice) = 0;
    // The list of torrents being seeded and leeched.
    virtual void showTorrents(const QList<ProfileTorrent> &torrents) = 0;
    // Paints the picture file into the avatar box; clearAvatar empties the box.
    virtual void CreateThumb(const QString &file) = 0;
    virtual void clearAvatar() = 0;
    // The page was not the member's: tells the user the profile could not be read, then the
    // window closes.
    virtual void showProfileError() = 0;
};
