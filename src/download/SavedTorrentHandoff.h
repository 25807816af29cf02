#pragma once

#include "model/HandoffSettings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Shell;
class StoredPassword;
class TorrentHandoff;
struct Services;

// What happens to a .torrent file once it is saved in the torrent folder, as the member's
// choice `handoff` says: opened with the desktop's program for .torrent files, left where it
// is, or added to qBittorrent or Transmission through the client's own interface. The file
// stays in the torrent folder whatever the client answers. One per program: the clients'
// sessions are kept between hand-offs.
class SavedTorrentHandoff : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        bool taken = true; // false: the client refused it or did not answer
        QString client;    // "qBittorrent", "Transmission"; empty for the other choices
        QString reason;    // why not taken; when taken, what else failed (labels), or empty
    };
    using Done = std::function<void(const Outcome &)>;

    // settings: the program's current values (read at each hand-off). The clients' passwords
    // are taken from services' stored passwords once known, else from settings.
    SavedTorrentHandoff(Services &services, const HandoffSettings &settings,
                        QObject *parent = nullptr);
    ~SavedTorrentHandoff() override;

    // True when the current choice hands the file to a client (the answer comes later).
    bool toClient() const;

    // Hands the saved file at path over. byUser: the user started the download (a refusal of
    // the desktop's program then gets a box). done runs once, at once for the choices that name
    // no client, else when the client answered; not at all when context is gone by then.
    void handOff(const QString &path, bool byUser, QObject *context, Done done);

    // "qBittorrent" or "Transmission" for the client choices.
    QString clientName() const;

    // "Status: Saved; adding it to qBittorrent..." while the client is asked.
    static QString waitingStatus(const QString &client);
    // "Status: Saved; qBittorrent did not take it: " + reason.
    static QString refusedStatus(const Outcome &outcome);
    // The debug log's line about an outcome with a reason: "qBittorrent did not take " + file +
    // ": " + reason, or "qBittorrent took " + file + " but: " + reason.
    static QString logLine(const Outcome &outcome, const QString &fileName);

private:
    void addToClient(const QString &path, QObject *context, Done done);
    StoredPassword *storedPassword(int choice) const;

    Services &m_services;
    const HandoffSettings &m_settings;
    // The client reached last, and the values it was made with.
    std::unique_ptr<TorrentHandoff> m_client;
    HandoffSettings m_clientSettings;
};
