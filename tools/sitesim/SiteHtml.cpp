#include "SiteHtml.h"

namespace {

const char kStyle[] = "<style type=\"text/css\">body{font-family:tahoma,arial,sans-serif;"
                      "font-size:9pt;background:#f4f1ea}td{font-size:9pt}"
                      "td.colhead{background:#4a5d73;color:#fff;font-weight:bold}"
                      "td.rowhead{font-weight:bold;text-align:right;vertical-align:top}"
                      "a{color:#1f3f6a}</style>";

const char kMenu[] = "<p><a href=/browse.php>Browse</a> | <a href=/my.php>Profile</a> | "
                     "<a href=/inbox.php>Inbox</a></p>\n";

} // namespace

QByteArray SiteHtml::escape(const QString &text)
{
    return text.toHtmlEscaped().toLatin1();
}

QByteArray SiteHtml::page(const QString &title, const QByteArray &body)
{
    return "<html><head><title>Vellumstacks :: " + escape(title) + "</title>" + kStyle +
           "</head>\n<body>\n<h1>Vellumstacks</h1>\n" + kMenu + body + "\n</body></html>\n";
}

QByteArray SiteHtml::loginPage(const QString &returnTo, const QString &message)
{
    QByteArray body;
    if (!message.isEmpty())
        body += "<p><b>" + escape(message) + "</b></p>\n";
    body += "<form method=\"post\" action=\"/takelogin.php\">\n"
            "<table border=0 cellpadding=5>\n"
            "<tr><td class=rowhead>Username:</td><td align=left>"
            "<input type=\"text\" size=40 name=\"username\"></td></tr>\n"
            "<tr><td class=rowhead>Password:</td><td align=left>"
            "<input type=\"password\" size=40 name=\"password\"></td></tr>\n"
            "<tr><td colspan=2 align=center>"
            "<input type=\"submit\" name=\"login\" value=\"Log in\"></td></tr>\n"
            "</table>\n"
            "<input type=\"hidden\" name=\"returnto\" value=\"" +
            escape(returnTo) + "\">\n</form>\n";
    return page(QStringLiteral("Login"), body);
}

QByteArray SiteHtml::loginFailedPage(const QString &reason)
{
    return page(QStringLiteral("Login failed!"),
                "<h2>Login failed!</h2>\n<p>" + escape(reason) +
                    "</p>\n<p><a href=/login.php>Try again</a></p>");
}

QByteArray SiteHtml::notFoundPage(const QByteArray &path)
{
    return "<html><head><title>404 Not Found</title></head>\n<body>\n<h1>404 Not Found</h1>\n"
           "<p>The requested URL " +
           escape(QString::fromLatin1(path)) +
           " was not found on this server.</p>\n</body></html>\n";
}

QByteArray SiteHtml::genericPage()
{
    return page(QStringLiteral("Home"),
                "<p>Welcome to Vellumstacks. Please <a href=/login.php>log in</a>.</p>");
}

QByteArray SiteHtml::busyPage()
{
    QByteArray head = "<html><head><title>Vellumstacks</title></head>\n"
                      "<body bgcolor=#f4f1ea>\n<table width=100%><tr><td align=center>"
                      "<h2>Sorry</h2>";
    Q_ASSERT(head.size() <= BusyTextOffset);
    head += QByteArray(BusyTextOffset - head.size(), ' ');
    return head + "The server load is very high at the moment. Please try again in a few "
                  "minutes.</td></tr></table>\n</body></html>\n";
}

QByteArray SiteHtml::mySqlErrorPage()
{
    return "MySQL Error: Too many connections (1040)\n<br>Please try again later.\n";
}

QByteArray SiteHtml::badRequestPage()
{
    return "<html><head><title>400 Bad Request</title></head>\n<body>\n<h1>Bad Request</h1>\n"
           "</body></html>\n";
}

QString SiteHtml::sizeText(qint64 bytes)
{
    const double b = double(bytes);
    if (bytes < 1000LL * 1024)
        return QString::number(b / 1024.0, 'f', 2) + QStringLiteral(" kB");
    if (bytes < 1000LL * 1048576)
        return QString::number(b / 1048576.0, 'f', 2) + QStringLiteral(" MB");
    if (bytes < 1000LL * 1073741824)
        return QString::number(b / 1073741824.0, 'f', 2) + QStringLiteral(" GB");
    return QString::number(b / 1099511627776.0, 'f', 2) + QStringLiteral(" TB");
}
