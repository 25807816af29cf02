#pragma once

#include "model/HandoffSettings.h"

#include <QWidget>

#include <memory>

class QNetworkAccessManager;

namespace Ui {
class HandoffPanel;
}

// The options page's tab for where a downloaded torrent goes: the choice, the chosen client's
// fields, and a Test button per client that logs in with the fields as they stand and shows
// the outcome in one line below it. It only shows and collects values; the page validates
// and stores them with the other options.
class HandoffPanel : public QWidget
{
    Q_OBJECT
public:
    explicit HandoffPanel(QNetworkAccessManager &network, QWidget *parent = nullptr);
    ~HandoffPanel() override;

    // Fills the fields (no change is signalled).
    void setValues(const HandoffSettings &settings);
    HandoffSettings values() const;
    // A client's password that arrived after the fields were filled goes into its box, unless
    // the user has typed there since.
    void passwordRead(int client, const QString &password);
    // Shows the panel's tab and, when that client (HandoffSettings::Qbittorrent or
    // ::Transmission) is the one chosen, puts the keyboard focus into its address box.
    void focusAddress(int client);

    // The Test buttons' handlers.
    void testQbittorrent();
    void testTransmission();

signals:
    // The user changed a value.
    void changed();

private:
    void showChoice(int choice);
    void runTest(int client);

    std::unique_ptr<Ui::HandoffPanel> m_ui;
    QNetworkAccessManager &m_network;
};
