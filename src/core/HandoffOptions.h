#pragma once

#include "model/HandoffSettings.h"

#include <QString>

class SettingsStore;

// The stored half of the torrent-client options: the choice `handoff` (missing = open with the
// default program), each client's values, and the check that an address is a web address
// before it is stored.
namespace HandoffOptions {

// Reads every value; a choice outside 0 to 3 counts as 0.
HandoffSettings load(const SettingsStore &store);
// Writes every value (addresses and the other texts trimmed).
void save(SettingsStore &store, const HandoffSettings &settings);

// The client passwords are kept under these names, apart from the other values.
inline const QString QbittorrentPassword = QStringLiteral("qbittorrent_password");
inline const QString TransmissionPassword = QStringLiteral("transmission_password");
// The one place a client password is read and written.
QString readPassword(const SettingsStore &store, const QString &name);
void writePassword(SettingsStore &store, const QString &name, const QString &password);

// An http or https address with a host.
bool isWebAddress(const QString &text);

// What is wrong with the values before they may be stored: the chosen client needs an
// address, and any address given must be a web address. Empty when all is well; client is
// then left alone, otherwise it tells whose field is wrong (HandoffSettings::Qbittorrent or
// ::Transmission).
QString problem(const HandoffSettings &settings, int *client = nullptr);

} // namespace HandoffOptions
