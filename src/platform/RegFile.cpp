#include "platform/RegFile.h"

namespace {

const QString RootName = QStringLiteral("HKEY_CURRENT_USER");

// A key path without the separators and blanks at its ends: a section line is read trimmed,
// so blanks there would not survive a rewrite, nor would a separator that a trimmed blank
// leaves at the end.
QString normalisedPath(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const auto edge = [](QChar c) { return c == QLatin1Char('\\') || c.isSpace(); };
    qsizetype first = 0;
    while (first < path.size() && edge(path[first]))
        ++first;
    qsizetype last = path.size();
    while (last > first && edge(path[last - 1]))
        --last;
    return path.mid(first, last - first);
}

// A line that carries on a hex value: hexadecimal digits, commas and blanks, maybe ending in
// the backslash that announces yet another line (an empty line adds nothing either way).
bool isContinuation(const QString &line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const bool hexDigit = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                              (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
                              (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        const bool last = i == line.size() - 1;
        if (!hexDigit && c != QLatin1Char(',') && !c.isSpace() && !(last && c == QLatin1Char('\\')))
            return false;
    }
    return true;
}

// The data of a hex value ("hex:…", "hex(2):…") whose line ends in a backslash goes on in the
// continuation lines that follow (from lines[next] on; next moves past them). A backslash
// with no continuation after it is dropped, so the data never ends in one: written back, it
// would swallow the next line.
QString joinedHexData(QString data, const QStringList &lines, qsizetype &next)
{
    while (data.endsWith(QLatin1Char('\\')) && next < lines.size() &&
           isContinuation(lines[next].trimmed())) {
        data.chop(1);
        data = data.trimmed() + lines[next].trimmed();
        ++next;
    }
    while (!data.isEmpty() && (data.endsWith(QLatin1Char('\\')) || data.back().isSpace()))
        data.chop(1);
    return data;
}

bool samePath(const QString &a, const QString &b)
{
    return normalisedPath(a).compare(normalisedPath(b), Qt::CaseInsensitive) == 0;
}

// Reads a quoted string starting at text[pos] == '"'; on success pos is after the closing quote.
bool readQuoted(const QString &text, qsizetype &pos, QString &out)
{
    if (pos >= text.size() || text[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    out.clear();
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (c == QLatin1Char('\\') && pos + 1 < text.size()) {
            out += text[pos + 1];
            pos += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        out += c;
        ++pos;
    }
    return false;
}

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

bool parseHexBytes(const QString &list, QByteArray &out)
{
    out.clear();
    const QStringList parts = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool ok = false;
        const uint v = part.trimmed().toUInt(&ok, 16);
        if (!ok || v > 255)
            return false;
        out += static_cast<char>(v);
    }
    return true;
}

QString hexList(const QByteArray &bytes)
{
    QStringList parts;
    parts.reserve(bytes.size());
    for (const char b : bytes)
        parts += QStringLiteral("%1").arg(static_cast<unsigned char>(b), 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(','));
}

// A text value goes into the quoted form unless it holds characters that form cannot carry.
bool needsHexForm(const QByteArray &text)
{
    for (const char b : text) {
        if (b == '\0' || b == '\r' || b == '\n')
            return true;
    }
    return false;
}

} // namespace

RegFile RegFile::parse(const QByteArray &bytes)
{
    RegFile file;
    QString content = QString::fromLatin1(bytes);
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    content.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = content.split(QLatin1Char('\n'));

    Key *current = nullptr;
    for (qsizetype next = 0; next < lines.size();) {
        const QString line = lines[next++].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            current = nullptr;
            if (!line.endsWith(QLatin1Char(']')))
                continue;
            QString path = line.mid(1, line.size() - 2).trimmed();
            if (path.startsWith(QLatin1Char('-')))
                continue; // a deletion entry; nothing to keep
            const qsizetype slash = path.indexOf(QLatin1Char('\\'));
            const QString root = slash < 0 ? path : path.left(slash);
            if (root.compare(RootName, Qt::CaseInsensitive) != 0 &&
                root.compare(QStringLiteral("HKCU"), Qt::CaseInsensitive) != 0)
                continue;
            path = slash < 0 ? QString() : normalisedPath(path.mid(slash + 1));
            current = file.findKey(path);
            if (!current) {
                file.m_keys.append(Key{path, {}});
                current = &file.m_keys.last();
            }
            continue;
        }
        if (!current)
            continue;

        Value value;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            value.name = QString();
            pos = 1;
        } else if (!readQuoted(line, pos, value.name)) {
            continue;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            continue;
        ++pos;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        QString data = line.mid(pos);
        if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive))
            data = joinedHexData(data, lines, next);
        if (data.startsWith(QLatin1Char('"'))) {
            qsizetype p = 0;
            QString text;
            if (!readQuoted(data, p, text))
                continue;
            value.type = Value::Text;
            value.text = text.toLatin1();
        } else if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const QString digits = data.mid(6).trimmed();
            const quint32 n = digits.toUInt(&ok, 16);
            if (!ok || digits.size() > 8)
                continue;
            value.type = Value::Number;
            value.number = n;
        } else if (data.startsWith(QStringLiteral("hex(1):"), Qt::CaseInsensitive)) {
            QByteArray text;
            if (!parseHexBytes(data.mid(7), text))
                continue;
            value.type = Value::Text;
            value.text = text;
        } else if (data == QLatin1String("-")) {
            continue; // deletion of a value
        } else if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive)) {
            value.type = Value::Other;
            value.raw = data;
        } else {
            continue;
        }
        bool replaced = false;
        for (Value &existing : current->values) {
            if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
                existing = value;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            current->values.append(value);
    }
    return file;
}

QByteArray RegFile::serialize() const
{
    QString out = QStringLiteral("REGEDIT4\r\n");
    for (const Key &key : m_keys) {
        out += QStringLiteral("\r\n[") + RootName;
        if (!key.path.isEmpty())
            out += QLatin1Char('\\') + key.path;
        out += QStringLiteral("]\r\n");
        for (const Value &value : key.values) {
            out += value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
            out += QLatin1Char('=');
            switch (value.type) {
            case Value::Text:
                if (needsHexForm(value.text))
                    out += QStringLiteral("hex(1):") + hexList(value.text);
                else
                    out += quoted(QString::fromLatin1(value.text));
                break;
            case Value::Number:
                out += QStringLiteral("dword:%1").arg(value.number, 8, 16, QLatin1Char('0'));
                break;
            case Value::Other:
                out += value.raw;
                break;
            }
            out += QStringLiteral("\r\n");
        }
    }
    out += QStringLiteral("\r\n");
    return out.toLatin1();
}

RegFile::Key *RegFile::findKey(const QString &path)
{
    for (Key &key : m_keys) {
        if (samePath(key.path, path))
            return &key;
    }
    return nullptr;
}

const RegFile::Key *RegFile::findKey(const QString &path) const
{
    for (const Key &key : m_keys) {
        if (samePath(key.path, path))
            return &key;
    }
    return nullptr;
}

const RegFile::Value *RegFile::find(const QString &path, const QString &name) const
{
    const Key *key = findKey(path);
    if (!key)
        return nullptr;
    for (const Value &value : key->values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

void RegFile::set(const QString &path, const Value &value)
{
    Key *key = findKey(path);
    if (!key) {
        m_keys.append(Key{normalisedPath(path), {}});
        key = &m_keys.last();
    }
    for (Value &existing : key->values) {
        if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            const QString keptName = existing.name;
            existing = value;
            existing.name = keptName;
            return;
        }
    }
    key->values.append(value);
}

bool RegFile::removeValue(const QString &path, const QString &name)
{
    Key *key = findKey(path);
    if (!key)
        return false;
    for (qsizetype i = 0; i < key->values.size(); ++i) {
        if (key->values[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            key->values.removeAt(i);
            return true;
        }
    }
    return false;
}

bool RegFile::removeKey(const QString &path)
{
    const QString wanted = normalisedPath(path);
    const QString prefix = wanted + QLatin1Char('\\');
    const qsizetype before = m_keys.size();
    m_keys.removeIf([&](const Key &key) {
        return samePath(key.path, wanted) || key.path.startsWith(prefix, Qt::CaseInsensitive);
    });
    return m_keys.size() != before;
}
