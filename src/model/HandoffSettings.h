#pragma once

#include <QString>

// How to reach one torrent client (qBittorrent's Web UI or Transmission's RPC) and how it is
// to file a torrent handed to it.
struct TorrentClientSettings
{
    QString url;         // qbt_url / tr_url: an http or https address
    QString user;        // qbt_user / tr_user
    QString password;    // kept apart from the other values, plain in memory
    QString folder;      // qbt_savepath / tr_dir: where the client saves; empty: its own default
    QString sorting;     // qbt_category / tr_labels (Transmission: labels separated by commas)
    bool paused = false; // qbt_paused / tr_paused

    friend bool operator==(const TorrentClientSettings &, const TorrentClientSettings &) = default;
};

// Where a downloaded .torrent goes once it is saved in the torrent folder.
struct HandoffSettings
{
    enum Choice
    {
        OpenWithDefault = 0, // the desktop's program for .torrent files
        SaveOnly = 1,        // left in the torrent folder (for clients that watch a folder)
        Qbittorrent = 2,
        Transmission = 3
    };

    int choice = OpenWithDefault; // handoff
    TorrentClientSettings qbt;
    TorrentClientSettings tr;

    friend bool operator==(const HandoffSettings &, const HandoffSettings &) = default;
};
