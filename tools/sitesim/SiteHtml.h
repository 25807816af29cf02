#pragma once

#include <QByteArray>
#include <QString>

// The site's plain HTML pages: the page frame, the login form, error and busy pages. Every
// page starts with "<html>" in lower case, as the site's own pages do.
class SiteHtml
{
public:
    // 0-based offset of "The server load" in busyPage(); clients look for it there.
    static constexpr int BusyTextOffset = 127;

    static QByteArray escape(const QString &text);
    // "<html><head><title>Vellumstacks :: title</title>..." around the body markup.
    static QByteArray page(const QString &title, const QByteArray &body);
    // Login form that posts to /takelogin.php and returns to returnTo; message goes above it.
    static QByteArray loginPage(const QString &returnTo, const QString &message);
    static QByteArray loginFailedPage(const QString &reason);
    static QByteArray notFoundPage(const QByteArray &path);
    static QByteArray genericPage();
    static QByteArray busyPage();
    static QByteArray mySqlErrorPage();
    static QByteArray badRequestPage();

    // Size in the site's style: "700.12 MB", "1.37 GB", "512.00 kB".
    static QString sizeText(qint64 bytes);
};
