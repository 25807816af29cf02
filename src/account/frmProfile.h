#pragma once

#include "account/ProfileView.h"

#include <QWidget>

#include <memory>

class ProfileExchange;
class QMenu;
class QTreeWidgetItem;
struct Services;
struct Settings;

namespace Ui {
class frmProfile;
}

// "Profile": the member's own page on the site, with name, join date, last seen, amounts
// uploaded and downloaded, share ratio, class, comment and post counts, avatar, a new-message
// mark and the torrents being seeded and leeched. Showing the window for the first time opens
// it (profile.cache at once, then the site); Refresh reads the site again. The exchange with
// the site is ProfileExchange; this class shows what it reads.
//
//     auto *profile = new frmProfile(services, state.settings, parent);
//     profile->show(); // deletes itself when closed
class frmProfile : public QWidget, public ProfileView
{
    Q_OBJECT
public:
    frmProfile(Services &services, const Settings &settings, QWidget *parent = nullptr);
    ~frmProfile() override;

    ProfileExchange &exchange() { return *m_exchange; }
    // timeouttimer's handler.
    void onTimeoutTimerTick();
    // The list's menu (mnuTorrents) and its "View Details".
    QMenu *mnuTorrents() const { return m_mnuTorrents; }
    void mnuViewDetailsClick();

    // ProfileView.
    void setStatus(const QString &text) override;
    void setStatusRed(bool red) override;
    void setRefreshEnabled(bool enabled) override;
    void setWaitPanelVisible(bool visible) override;
    void hs(bool enabled) override;
    void showTexts(const ProfileTexts &texts) override;
    void showNewMessages(const QString &notice) override;
    void showTorrents(const QList<ProfileTorrent> &torrents) override;
    void CreateThumb(const QString &file) override;
    void clearAvatar() override;
    void showProfileError() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeUsername();
    void openDetails(QTreeWidgetItem *item);

    Services &m_services;
    std::unique_ptr<Ui::frmProfile> ui;
    ProfileExchange *m_exchange;
    QMenu *m_mnuTorrents;
    bool m_opened = false;
};
