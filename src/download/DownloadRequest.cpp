#include "download/DownloadRequest.h"

#include "download/DownloadTarget.h"
#include "model/ProgramState.h"
#include "platform/SiteAddresses.h"

#include <algorithm>

namespace {

// The part of a feed file name after its last "/" or "\"; "<id>.torrent" when nothing usable
// is left, so a download never writes outside the torrent folder or onto the folder itself.
QString plainFileName(const QString &fileName, qint32 id)
{
    const qsizetype cut =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const QString plain = fileName.mid(cut + 1);
    if (plain.isEmpty() || plain == QLatin1String(".") || plain == QLatin1String(".."))
        return QString::number(id) + QStringLiteral(".torrent");
    return plain;
}

} // namespace

DownloadRequest DownloadRequest::forTorrent(const ProgramState &state, qint32 id,
                                            const QString &fileName, const QString &name)
{
    DownloadRequest request;
    request.path = DownloadUrlPath(id);
    request.id = id;
    // The id names a file whose name left nothing usable; DownloadTarget then drops what a
    // file name must not hold (control characters, leading dots).
    request.target =
        DownloadTarget::path(state.settings.TorrentFolder, plainFileName(fileName, id));
    request.userName = state.settings.SiteUserName;
    request.password = state.settings.SitePassword;
    request.name = name;
    return request;
}
