#pragma once

#include "model/ActiveDownloads.h"
#include "model/FilterTable.h"
#include "model/MatchRecord.h"
#include "model/Settings.h"
#include "model/TorrentRecord.h"

#include <QString>
#include <QStringList>

// Program-wide state owned by the application for the whole run: it outlives the main
// window, which may load twice in one process (after the first-run wizard).
struct ProgramState
{
    Settings settings;

    // Command-line switches.
    bool DeveloperMode = false;     // "/dev"
    bool LaunchedAtStartup = false; // "/startup"

    // The page a double-click on the tray icon opens when nothing is pending.
    QString AlertAddress;
    // The tray tooltip text, kept so a re-created tray icon gets it back.
    QString TrayTipText;
    // True while torrents.db is written.
    bool TorrentDbBusy = false;
    // Feed requests since the category list was last asked for (0 at start, never stored).
    qint16 CategoryRequestCounter = 0;

    FilterTable Filters;
    // The site's category names in order; position p (from 1) is categories[p - 1].
    QStringList categories;

    // The last parsed feed, the accepted results waiting for acknowledgement, and the ids
    // excluded for the rest of the current check.
    ParsedFeed feed;
    ResultList results;
    QStringList exclusion;

    ActiveDownloads downloads;
};
