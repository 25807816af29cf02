#include "core/HandoffOptions.h"

#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/StoredPassword.h"

#include <QUrl>

namespace {

struct ClientValues
{
    QString prefix; // "qbt_" or "tr_"
    QString folder; // the name of its folder value after the prefix
    QString sorting;
    QString name; // the client's name in messages
};

const ClientValues Qbt{QStringLiteral("qbt_"), QStringLiteral("savepath"),
                       QStringLiteral("category"), QStringLiteral("qBittorrent")};
const ClientValues Tr{QStringLiteral("tr_"), QStringLiteral("dir"), QStringLiteral("labels"),
                      QStringLiteral("Transmission")};

TorrentClientSettings loadClient(const SettingsStore &store, const ClientValues &v)
{
    TorrentClientSettings c;
    c.url = store.ReadSettingText(v.prefix + QStringLiteral("url"));
    c.user = store.ReadSettingText(v.prefix + QStringLiteral("user"));
    c.folder = store.ReadSettingText(v.prefix + v.folder);
    c.sorting = store.ReadSettingText(v.prefix + v.sorting);
    c.paused = store.ReadSettingNumber(v.prefix + QStringLiteral("paused")) == 1;
    return c;
}

void saveClient(SettingsStore &store, const ClientValues &v, const TorrentClientSettings &c)
{
    store.WriteSettingText(v.prefix + QStringLiteral("url"), c.url.trimmed());
    store.WriteSettingText(v.prefix + QStringLiteral("user"), c.user.trimmed());
    store.WriteSettingText(v.prefix + v.folder, c.folder.trimmed());
    store.WriteSettingText(v.prefix + v.sorting, c.sorting.trimmed());
    store.WriteSettingNumber(v.prefix + QStringLiteral("paused"), c.paused ? 1 : 0);
}

} // namespace

HandoffSettings HandoffOptions::load(const SettingsStore &store)
{
    HandoffSettings s;
    const int choice = store.ReadSettingNumber(SettingName::Handoff);
    s.choice = choice >= HandoffSettings::OpenWithDefault && choice <= HandoffSettings::Transmission
                   ? choice
                   : HandoffSettings::OpenWithDefault;
    s.qbt = loadClient(store, Qbt);
    s.tr = loadClient(store, Tr);
    return s;
}

void HandoffOptions::save(SettingsStore &store, const HandoffSettings &s)
{
    store.WriteSettingNumber(SettingName::Handoff, qint16(s.choice));
    saveClient(store, Qbt, s.qbt);
    saveClient(store, Tr, s.tr);
}

std::unique_ptr<StoredPassword> HandoffOptions::storedPassword(int client, SettingsStore &store,
                                                               PasswordStore *keyring,
                                                               DebugConsole &log)
{
    const QString key = client == HandoffSettings::Qbittorrent
                            ? QStringLiteral("qbittorrent_password")
                            : QStringLiteral("transmission_password");
    return std::make_unique<StoredPassword>(key, key + QStringLiteral("_in_keyring"), store,
                                            keyring, log);
}

void HandoffOptions::keepPassword(StoredPassword *stored, const QString &typed)
{
    if (!stored || typed == stored->password())
        return;
    stored->store(typed);
}

bool HandoffOptions::isWebAddress(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

QString HandoffOptions::problem(const HandoffSettings &s, int *client)
{
    const auto check = [&](const TorrentClientSettings &c, const ClientValues &v,
                           int which) -> QString {
        QString message;
        if (c.url.trimmed().isEmpty() && s.choice == which)
            message = QStringLiteral("Please enter the address of ") + v.name + QLatin1Char(' ');
        else if (!c.url.trimmed().isEmpty() && !isWebAddress(c.url))
            message = QStringLiteral("The address of ") + v.name +
                      QStringLiteral(" must begin with http:// or https:// ");
        if (!message.isEmpty() && client)
            *client = which;
        return message;
    };
    QString message = check(s.qbt, Qbt, HandoffSettings::Qbittorrent);
    if (message.isEmpty())
        message = check(s.tr, Tr, HandoffSettings::Transmission);
    return message;
}
