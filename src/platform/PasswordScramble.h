#pragma once

#include <QString>

// The stored password's scramble, and the password kept out of what is written to disk.

// Position-shift scrambling of the stored password and the built-in site address: character i
// (from 1) moves down by i (ScrambleText) or up by i (UnscrambleText), modulo 256, so each
// undoes the other for any text, however long.
QString ScrambleText(const QString &text);

QString UnscrambleText(const QString &text);

// The text with every occurrence of the password replaced by "********"; unchanged for an
// empty password. For replies kept on disk, which may echo the request address, the login form
// or the password inside an HTML page. Found are: the password as it is; form-encoded (letters
// and digits kept, every other character "%XX" in either letter case, a blank as "%20" or "+");
// and HTML-escaped, where each character may stand as itself (markup characters only as their
// entities), as "&amp;", "&lt;", "&gt;", "&quot;" or "&#39;", or as a decimal ("&#38;") or
// hexadecimal ("&#x26;", either case) character reference.
QString HidePassword(const QString &text, const QString &password);
