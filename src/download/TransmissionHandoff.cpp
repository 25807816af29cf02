#include "download/TransmissionHandoff.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// Transmission's words for a file it cannot read as a torrent.
const QString CorruptTorrent = QStringLiteral("invalid or corrupt torrent file");
} // namespace

TransmissionHandoff::TransmissionHandoff(const TorrentClientSettings &settings,
                                         QNetworkAccessManager &network, QObject *parent)
    : TorrentHandoff(settings, network, parent)
{
}

QStringList TransmissionHandoff::labels(const QString &field)
{
    QStringList out;
    for (const QString &label : field.split(QLatin1Char(','))) {
        const QString trimmed = label.trimmed();
        if (!trimmed.isEmpty())
            out << trimmed;
    }
    return out;
}

void TransmissionHandoff::call(const QString &method, const QJsonObject &arguments, Answer answered,
                               Failure failed, bool mayRenewSession)
{
    const QString path = QUrl(m_settings.url.trimmed()).path();
    QNetworkRequest request = ClientRequest::prepare(
        path.isEmpty() || path == QLatin1String("/") ? address(QStringLiteral("/transmission/rpc"))
                                                     : QUrl(m_settings.url.trimmed()));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (!m_settings.user.isEmpty() || !m_settings.password.isEmpty())
        request.setRawHeader(
            "Authorization",
            "Basic " +
                (m_settings.user + QLatin1Char(':') + m_settings.password).toUtf8().toBase64());
    if (!m_sessionId.isEmpty())
        request.setRawHeader("X-Transmission-Session-Id", m_sessionId);
    const QJsonObject call{{QStringLiteral("method"), method},
                           {QStringLiteral("arguments"), arguments}};
    send(request, "POST", QJsonDocument(call).toJson(QJsonDocument::Compact),
         [=, this](const ClientRequest::Reply &reply) {
             if (reply.status == 409 && !reply.sessionId.isEmpty() && mayRenewSession) {
                 m_sessionId = reply.sessionId;
                 this->call(method, arguments, answered, failed, false);
                 return;
             }
             if (reply.status != 200) {
                 failed(reasonFor(reply));
                 return;
             }
             const QJsonObject answer = QJsonDocument::fromJson(reply.body).object();
             const QString result = answer.value(QStringLiteral("result")).toString();
             if (result == QLatin1String("success"))
                 answered(answer.value(QStringLiteral("arguments")).toObject());
             else if (result == CorruptTorrent)
                 failed(NotATorrent);
             else if (!result.isEmpty())
                 failed(result);
             else
                 failed(QStringLiteral("no answer of Transmission's (HTTP 200)"));
         });
}

void TransmissionHandoff::runAdd(const Job &job)
{
    QJsonObject arguments{{QStringLiteral("metainfo"), QString::fromLatin1(job.torrent.toBase64())},
                          {QStringLiteral("paused"), m_settings.paused}};
    if (!m_settings.folder.isEmpty())
        arguments.insert(QStringLiteral("download-dir"), m_settings.folder);
    call(
        QStringLiteral("torrent-add"), arguments,
        [this](const QJsonObject &answer) {
            const QJsonObject added = answer.value(QStringLiteral("torrent-added")).toObject();
            const QStringList wanted = labels(m_settings.sorting);
            if (!added.isEmpty() && !wanted.isEmpty()) {
                setLabels(added.value(QStringLiteral("hashString")).toString(), wanted);
                return;
            }
            // A torrent the client has already (torrent-duplicate) is left as it is.
            if (!added.isEmpty() || answer.contains(QStringLiteral("torrent-duplicate")))
                finish(Result{true, QString(), QString()});
            else
                refuse(QStringLiteral("no torrent in Transmission's answer"));
        },
        [this](const QString &reason) { refuse(reason); });
}

void TransmissionHandoff::setLabels(const QString &hashString, const QStringList &wanted)
{
    const QJsonObject arguments{{QStringLiteral("ids"), QJsonArray{hashString}},
                                {QStringLiteral("labels"), QJsonArray::fromStringList(wanted)}};
    // The torrent is in the client whatever becomes of its labels.
    call(
        QStringLiteral("torrent-set"), arguments,
        [this](const QJsonObject &) {
            finish(Result{true, QString(), QString()});
        },
        [this](const QString &reason) {
            finish(Result{true, QStringLiteral("labels not set: ") + reason, QString()});
        });
}

void TransmissionHandoff::runTest()
{
    const QJsonObject arguments{{QStringLiteral("fields"), QJsonArray{QStringLiteral("version")}}};
    call(
        QStringLiteral("session-get"), arguments,
        [this](const QJsonObject &answer) {
            // "3.00 (bb6b5a062e)": the number without the build.
            const QString version = answer.value(QStringLiteral("version")).toString();
            finish(Result{true, QString(), version.section(QLatin1Char(' '), 0, 0)});
        },
        [this](const QString &reason) { refuse(reason); });
}
