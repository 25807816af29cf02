#pragma once

#include "SiteRequest.h"
#include "SiteResponse.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

// One accepted HTTP connection of the site server: reads a single request (request line,
// headers, a body of Content-Length bytes), hands it over, then writes the answer in whatever
// way the server asks and closes. The object deletes itself once the socket has closed.
class SiteConnection : public QObject
{
    Q_OBJECT
public:
    SiteConnection(QTcpSocket *socket, QObject *parent);

    // Head with Content-Length and the body (no body when headOnly), then the close.
    void send(const SiteResponse &response, bool headOnly);
    // Head without Content-Length and the body; the close marks the end.
    void sendWithoutLength(const SiteResponse &response);
    // Head announcing announcedLength, then the first bodyBytes of the body; then the close when
    // closeAfter is set, otherwise silence until the peer gives up.
    void sendPart(const SiteResponse &response, qint64 announcedLength, qint64 bodyBytes,
                  bool closeAfter);
    // Head with Content-Length, then the body chunkBytes at a time every intervalMs.
    void drip(const SiteResponse &response, int chunkBytes, int intervalMs);
    // A head without Content-Length, then bytes of generated body, written as the peer reads
    // them (the server never holds more than a few pieces), then the close.
    void flood(qint64 bytes);
    // Close without sending anything.
    void closeSilently();

signals:
    void requestReady(SiteConnection *connection, const SiteRequest &request);

private:
    void onReadyRead();
    void dripNext();
    void floodNext();
    bool parseHead(const QByteArray &head, SiteRequest *request, qint64 *contentLength) const;

    QTcpSocket *m_socket;
    QByteArray m_buffer;
    bool m_headDone = false;
    bool m_requestDone = false;
    qint64 m_bodyLength = 0;
    qsizetype m_headLength = 0;
    SiteRequest m_request;
    QTimer m_dripTimer;
    QByteArray m_dripRest;
    int m_dripChunk = 64;
    qint64 m_floodLeft = 0;
};
