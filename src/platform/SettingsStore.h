#pragma once

#include "platform/RegFile.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// The per-user key-value store for options and progress markers, kept as one REGEDIT4 text
// file (see RegFile). Every operation reads the file afresh and every write replaces it
// atomically, so nothing is held between calls and a hand edit is seen at once; a read never
// creates the file. Values that belong together are written in a Batch, which replaces the
// file once for all of them.
//
// A file that exists but is not a settings file (it cannot be opened, or its first line is not
// "REGEDIT4") is never written over: before the first write it is set aside as
// settings.reg.bad (see BrokenFiles), fileSetAside() says so, and the write starts a fresh file.
//
// The value named after the program in the Run key is the start-at-logon switch; it lives in
// the XDG autostart entry instead of the file: writing creates the .desktop file with the value
// as its Exec line, reading returns that command line, deleting removes the file.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    enum Root
    {
        HKEY_CURRENT_USER
    };

    // "SOFTWARE\Pollwick", where every setting of the program lives.
    static QString ProgramKey();
    // "Software\Microsoft\Windows\CurrentVersion\Run".
    static QString RunKey();

    // Collects the writes and deletes made through the store while it lives and replaces the
    // file once, when the outermost batch ends, so that a crash leaves all of them stored or
    // none. Code running inside the batch reads its own pending writes through this store;
    // every other reader of the file sees the values from before the batch until it ends.
    // The Run entry is its own file and is written at once. Writes inside a batch return
    // true; a batch whose file cannot be replaced stores nothing and emits
    // programKeyWriteFailed, as a failed program-key write does.
    class Batch
    {
    public:
        explicit Batch(SettingsStore &store);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

        // Ends the batch before its scope does. True when its writes are stored, or handed
        // to the batch around it, or there was nothing to write.
        bool commit();

    private:
        SettingsStore *m_store;
        bool m_open = true;
    };

    SettingsStore(const QString &filePath, const QString &autostartPath, QObject *parent = nullptr);

    QString filePath() const { return m_filePath; }
    QString autostartPath() const { return m_autostartPath; }

    // Generic operations on any key path.
    // Text of a text value, cut at its first NUL; empty when missing or of another type.
    QString RegReadText(Root root, const QString &path, const QString &name) const;
    // The 32-bit number; 0 when missing or of another type.
    qint32 RegReadNumber(Root root, const QString &path, const QString &name) const;
    // Both writes create the key when missing; false when the file could not be replaced.
    bool RegWriteText(Root root, const QString &path, const QString &name, const QString &text);
    bool RegWriteNumber(Root root, const QString &path, const QString &name, qint32 number);
    // Deleting what is missing is silent.
    void RegDeleteKeyPath(Root root, const QString &path);
    void RegDeleteValueName(Root root, const QString &path, const QString &name);

    // Operations on the program key. Numbers are 16-bit: written sign-extended, read back
    // truncated. A failed write returns false and emits programKeyWriteFailed; the application
    // answers that by telling the user and ending the program.
    QString ReadSettingText(const QString &name) const;
    // Every byte of a text value on the program key, NUL bytes included (ReadSettingText cuts
    // at the first); empty when missing or of another type. For the stored password, whose
    // scrambled form may hold a NUL anywhere.
    QByteArray ReadSettingBytes(const QString &name) const;
    qint16 ReadSettingNumber(const QString &name) const;
    bool WriteSettingText(const QString &name, const QString &text);
    bool WriteSettingNumber(const QString &name, qint16 number);

    // Reason of the last failed write.
    QString lastError() const { return m_lastError; }

signals:
    void programKeyWriteFailed(const QString &reason);
    // A broken settings file was set aside (or could not be, and is then not written over):
    // the line for the debug log.
    void fileSetAside(const QString &line);

private:
    // Applies a change to the settings file: at once, or to the pending copy inside a batch.
    // change returns false when it changed nothing; then nothing is written.
    bool edit(const std::function<bool(RegFile &)> &change);
    bool replaceFile(const RegFile &file);
    bool endBatch();
    // Sets a broken file aside before a write; false when it is broken and could not be.
    bool prepareWrite();
    // Every byte of a text value; empty when missing or of another type.
    QByteArray textBytes(const QString &path, const QString &name) const;
    bool isRunEntry(const QString &path, const QString &name) const;
    QString readRunEntry() const;
    bool writeRunEntry(const QString &commandLine);
    void deleteRunEntry();

    QString m_filePath;
    QString m_autostartPath;
    QString m_lastError;
    int m_batchDepth = 0;
    std::optional<RegFile> m_pending; // the file with the open batch's changes
    bool m_pendingChanged = false;
    // The file was broken and could not be set aside: the batch must not write over it.
    bool m_pendingRefused = false;
};
