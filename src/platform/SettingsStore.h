#pragma once

#include <QObject>
#include <QString>

// The per-user key-value store for options and progress markers, kept as one REGEDIT4 text
// file (see RegFile). Every operation reads the file afresh and every write replaces it
// atomically, so nothing is held between calls and a hand edit is seen at once; a read never
// creates the file.
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
    // Sets a broken file aside before a write; false when it is broken and could not be.
    bool prepareWrite();
    bool isRunEntry(const QString &path, const QString &name) const;
    QString readRunEntry() const;
    bool writeRunEntry(const QString &commandLine);
    void deleteRunEntry();

    QString m_filePath;
    QString m_autostartPath;
    QString m_lastError;
};
