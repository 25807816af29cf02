#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The settings file in the REGEDIT4 text format that Windows' registry editor reads and
// writes: a "[HKEY_CURRENT_USER\path]" section per key, "name"="text" and "name"=dword:…
// values. Values of any other type ("hex(2):…", "hex:…") are kept as read so that type rules
// hold. Key paths and value names compare case-insensitively, as in the registry.
class RegFile
{
public:
    struct Value
    {
        enum Type
        {
            Text,
            Number,
            Other
        };
        QString name;
        Type type = Text;
        QByteArray text;    // Text: Latin-1 bytes, may hold NUL bytes
        quint32 number = 0; // Number
        QString raw;        // Other: the data as it stood after "=", e.g. hex(2):41,00
    };
    struct Key
    {
        QString path; // without the root, e.g. SOFTWARE\Pollwick
        QList<Value> values;
    };

    // Parses the file's bytes. Lines it does not understand are skipped, so a hand-edited
    // file still loads. Only keys under HKEY_CURRENT_USER are taken.
    static RegFile parse(const QByteArray &bytes);
    // REGEDIT4 text with CR LF line ends.
    QByteArray serialize() const;

    const Value *find(const QString &path, const QString &name) const;
    void set(const QString &path, const Value &value);
    bool removeValue(const QString &path, const QString &name);
    // Removes the key and every key below it.
    bool removeKey(const QString &path);

    const QList<Key> &keys() const { return m_keys; }

private:
    Key *findKey(const QString &path);
    const Key *findKey(const QString &path) const;
    QList<Key> m_keys;
};
