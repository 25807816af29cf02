#pragma once

#include <QByteArray>

// Writes small PNG files without an image library: the pixel rows go into zlib "stored"
// blocks, with the CRC-32 and Adler-32 checksums computed here.
class PngEncoder
{
public:
    // rgb holds height rows of width pixels, three bytes each.
    static QByteArray encodeRgb(int width, int height, const QByteArray &rgb);
    // A 48 x 48 picture whose colours depend on the user id.
    static QByteArray avatar(int userId);

    static quint32 crc32(const QByteArray &data);
    static quint32 adler32(const QByteArray &data);

private:
    static QByteArray chunk(const char type[4], const QByteArray &data);
    static QByteArray zlibStored(const QByteArray &data);
};
