#include "PngEncoder.h"

#include <QtEndian>

#include <array>

namespace {

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

} // namespace

quint32 PngEncoder::crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

quint32 PngEncoder::adler32(const QByteArray &data)
{
    quint32 a = 1;
    quint32 b = 0;
    for (char ch : data) {
        a = (a + quint8(ch)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

QByteArray PngEncoder::chunk(const char type[4], const QByteArray &data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return bigEndian32(quint32(data.size())) + typed + bigEndian32(crc32(typed));
}

QByteArray PngEncoder::zlibStored(const QByteArray &data)
{
    // CMF/FLG for deflate with a 32 KiB window and no dictionary (0x7801 is a multiple of 31).
    QByteArray out("\x78\x01", 2);
    qsizetype offset = 0;
    do {
        const qsizetype length = std::min<qsizetype>(65535, data.size() - offset);
        const bool last = offset + length >= data.size();
        out += char(last ? 1 : 0);
        out += char(length & 0xFF);
        out += char((length >> 8) & 0xFF);
        out += char(~length & 0xFF);
        out += char((~length >> 8) & 0xFF);
        out += data.mid(offset, length);
        offset += length;
    } while (offset < data.size());
    return out + bigEndian32(adler32(data));
}

QByteArray PngEncoder::encodeRgb(int width, int height, const QByteArray &rgb)
{
    QByteArray header = bigEndian32(quint32(width)) + bigEndian32(quint32(height));
    header += char(8); // bit depth
    header += char(2); // colour type: RGB
    header += char(0); // compression
    header += char(0); // filter method
    header += char(0); // no interlace

    QByteArray raw;
    raw.reserve(height * (1 + width * 3));
    for (int y = 0; y < height; ++y) {
        raw += char(0); // filter type None for every row
        raw += rgb.mid(qsizetype(y) * width * 3, qsizetype(width) * 3);
    }

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += chunk("IHDR", header);
    png += chunk("IDAT", zlibStored(raw));
    png += chunk("IEND", QByteArray());
    return png;
}

QByteArray PngEncoder::avatar(int userId)
{
    const int size = 48;
    const int hueShift = (userId * 67) % 256;
    QByteArray rgb;
    rgb.reserve(size * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // A diagonal gradient with a lighter disc in the middle.
            const int dx = x - size / 2;
            const int dy = y - size / 2;
            const bool disc = dx * dx + dy * dy < 14 * 14;
            const int base = (x + y) * 255 / (2 * size);
            rgb += char(disc ? 235 : (base + hueShift) % 256);
            rgb += char(disc ? 225 : (128 + base / 2) % 256);
            rgb += char(disc ? 200 : (255 - base + hueShift / 2) % 256);
        }
    }
    return encodeRgb(size, size, rgb);
}
