#pragma once

#include "model/HandoffSettings.h"

#include <QString>

#include <memory>

class DebugConsole;
class PasswordStore;
class SettingsStore;
class StoredPassword;

// The stored half of the torrent-client options: the choice `handoff` (missing = open with the
// default program), each client's values, and the check that an address is a web address
// before it is stored.
namespace HandoffOptions {

// Reads every value but the passwords; a choice outside 0 to 3 counts as 0.
HandoffSettings load(const SettingsStore &store);
// Writes every value but the passwords (addresses and the other texts trimmed).
void save(SettingsStore &store, const HandoffSettings &settings);

// A client's password (HandoffSettings::Qbittorrent or ::Transmission) as it is kept: in the
// keyring under "qbittorrent_password" or "transmission_password" where one answers, else in
// the settings file under that name, like the site password.
std::unique_ptr<StoredPassword> storedPassword(int client, SettingsStore &store,
                                               PasswordStore *keyring, DebugConsole &log);
// Keeps the password typed on the page when it differs from the copy in memory. A box left
// empty while the keyring has not given the password yet equals that (empty) copy, so it
// removes nothing.
void keepPassword(StoredPassword *stored, const QString &typed);

// An http or https address with a host.
bool isWebAddress(const QString &text);

// What is wrong with the values before they may be stored: the chosen client needs an
// address, and any address given must be a web address. Empty when all is well; client is
// then left alone, otherwise it tells whose field is wrong (HandoffSettings::Qbittorrent or
// ::Transmission).
QString problem(const HandoffSettings &settings, int *client = nullptr);

} // namespace HandoffOptions
