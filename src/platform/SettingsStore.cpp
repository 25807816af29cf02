#include "platform/SettingsStore.h"

#include "platform/SettingNames.h"

#include "platform/AppInfo.h"
#include "platform/BrokenFiles.h"
#include "platform/PrivateFiles.h"
#include "platform/RegFile.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

RegFile loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return RegFile();
    return RegFile::parse(file.readAll());
}

// Desktop-entry string escaping of the Exec value.
QString escapeDesktopValue(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

// The program of an Exec command line: its first argument, unquoted by the desktop-entry rules
// (inside double quotes a backslash keeps the next character; "%%" stands for "%").
QString programOfCommandLine(const QString &commandLine)
{
    QString program;
    const bool quoted = commandLine.startsWith(QLatin1Char('"'));
    for (qsizetype i = quoted ? 1 : 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine[i];
        if (quoted ? c == QLatin1Char('"') : c == QLatin1Char(' '))
            break;
        if ((quoted && c == QLatin1Char('\\')) ||
            (c == QLatin1Char('%') && commandLine.mid(i, 2) == QLatin1String("%%")))
            ++i;
        if (i < commandLine.size())
            program += commandLine[i];
    }
    return program;
}

QString unescapeDesktopValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[++i];
        if (n == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (n == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (n == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            out += n;
    }
    return out;
}

} // namespace

QString SettingsStore::ProgramKey()
{
    return QStringLiteral("SOFTWARE\\") + AppInfo::Title;
}

QString SettingsStore::RunKey()
{
    return QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

SettingsStore::SettingsStore(const QString &filePath, const QString &autostartPath, QObject *parent)
    : QObject(parent), m_filePath(filePath), m_autostartPath(autostartPath)
{
}

bool SettingsStore::prepareWrite()
{
    bool failed = false;
    const QString line =
        BrokenFiles::setAsideIfBroken(m_filePath, BrokenFiles::Kind::Settings, &failed);
    if (line.isEmpty())
        return true;
    emit fileSetAside(line);
    if (failed)
        m_lastError = line;
    return !failed;
}

bool SettingsStore::isRunEntry(const QString &path, const QString &name) const
{
    QString p = path;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return p.compare(RunKey(), Qt::CaseInsensitive) == 0 &&
           name.compare(AppInfo::Title, Qt::CaseInsensitive) == 0;
}

SettingsStore::Batch::Batch(SettingsStore &store) : m_store(&store)
{
    ++m_store->m_batchDepth;
}

SettingsStore::Batch::~Batch()
{
    commit();
}

bool SettingsStore::Batch::commit()
{
    if (!m_open)
        return true;
    m_open = false;
    return m_store->endBatch();
}

bool SettingsStore::endBatch()
{
    if (--m_batchDepth > 0)
        return true;
    const std::optional<RegFile> pending = std::move(m_pending);
    const bool changed = m_pendingChanged;
    const bool refused = m_pendingRefused;
    m_pending.reset();
    m_pendingChanged = false;
    m_pendingRefused = false;
    if (!changed || (!refused && replaceFile(*pending)))
        return true;
    emit programKeyWriteFailed(m_lastError);
    return false;
}

bool SettingsStore::replaceFile(const RegFile &file)
{
    PrivateFiles::makeFolder(QFileInfo(m_filePath).absolutePath());
    return ReplaceFileAtomically(m_filePath, file.serialize(), &m_lastError, Privacy::OwnerOnly);
}

bool SettingsStore::edit(const std::function<bool(RegFile &)> &change)
{
    // A broken file is set aside before the first change is read from it; one that cannot be
    // set aside is never written over.
    if (m_batchDepth > 0) {
        if (!m_pending) {
            m_pendingRefused = !prepareWrite();
            m_pending = loadFile(m_filePath);
        }
        if (change(*m_pending))
            m_pendingChanged = true;
        return true;
    }
    if (!prepareWrite())
        return false;
    RegFile file = loadFile(m_filePath);
    return !change(file) || replaceFile(file);
}

QString SettingsStore::RegReadText(Root, const QString &path, const QString &name) const
{
    if (isRunEntry(path, name))
        return readRunEntry();
    return BytesToText(textBytes(path, name));
}

QByteArray SettingsStore::textBytes(const QString &path, const QString &name) const
{
    const RegFile file = m_pending ? *m_pending : loadFile(m_filePath);
    const RegFile::Value *value = file.find(path, name);
    if (!value || value->type != RegFile::Value::Text)
        return QByteArray();
    return value->text;
}

qint32 SettingsStore::RegReadNumber(Root, const QString &path, const QString &name) const
{
    if (isRunEntry(path, name))
        return 0;
    const RegFile file = m_pending ? *m_pending : loadFile(m_filePath);
    const RegFile::Value *value = file.find(path, name);
    if (!value || value->type != RegFile::Value::Number)
        return 0;
    return static_cast<qint32>(value->number);
}

bool SettingsStore::RegWriteText(Root, const QString &path, const QString &name,
                                 const QString &text)
{
    if (isRunEntry(path, name))
        return writeRunEntry(text);
    RegFile::Value value;
    value.name = name;
    value.type = RegFile::Value::Text;
    value.text = ToAnsi(text);
    return edit([&](RegFile &file) {
        file.set(path, value);
        return true;
    });
}

bool SettingsStore::RegWriteNumber(Root, const QString &path, const QString &name, qint32 number)
{
    if (isRunEntry(path, name)) {
        m_lastError = QStringLiteral("The start-at-logon entry holds text only");
        return false;
    }
    RegFile::Value value;
    value.name = name;
    value.type = RegFile::Value::Number;
    value.number = static_cast<quint32>(number);
    return edit([&](RegFile &file) {
        file.set(path, value);
        return true;
    });
}

void SettingsStore::RegDeleteKeyPath(Root, const QString &path)
{
    if (!m_pending && !QFileInfo::exists(m_filePath))
        return;
    edit([&](RegFile &file) { return file.removeKey(path); });
}

void SettingsStore::RegDeleteValueName(Root, const QString &path, const QString &name)
{
    if (isRunEntry(path, name)) {
        deleteRunEntry();
        return;
    }
    if (!m_pending && !QFileInfo::exists(m_filePath))
        return;
    edit([&](RegFile &file) { return file.removeValue(path, name); });
}

QString SettingsStore::ReadSettingText(const QString &name) const
{
    return RegReadText(HKEY_CURRENT_USER, ProgramKey(), name);
}

QByteArray SettingsStore::ReadSettingBytes(const QString &name) const
{
    return textBytes(ProgramKey(), name);
}

qint16 SettingsStore::ReadSettingNumber(const QString &name) const
{
    return static_cast<qint16>(RegReadNumber(HKEY_CURRENT_USER, ProgramKey(), name) & 0xffff);
}

bool SettingsStore::WriteSettingText(const QString &name, const QString &text)
{
    if (RegWriteText(HKEY_CURRENT_USER, ProgramKey(), name, text))
        return true;
    emit programKeyWriteFailed(m_lastError);
    return false;
}

bool SettingsStore::WriteSettingNumber(const QString &name, qint16 number)
{
    if (RegWriteNumber(HKEY_CURRENT_USER, ProgramKey(), name, number))
        return true;
    emit programKeyWriteFailed(m_lastError);
    return false;
}

QString SettingsStore::readRunEntry() const
{
    QFile file(m_autostartPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    bool inMainGroup = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inMainGroup && line.startsWith(QStringLiteral("Exec=")))
            return unescapeDesktopValue(line.mid(5));
    }
    return QString();
}

bool SettingsStore::writeRunEntry(const QString &commandLine)
{
    QDir().mkpath(QFileInfo(m_autostartPath).absolutePath());
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Comment=Tells you about new uploads on Vellumstacks\n"
                                         "Exec=%2\n"
                                         "TryExec=%3\n"
                                         "Icon=pollwick\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(AppInfo::Title, escapeDesktopValue(commandLine),
                                   escapeDesktopValue(programOfCommandLine(commandLine)));
    return ReplaceFileAtomically(m_autostartPath, entry.toUtf8(), &m_lastError);
}

void SettingsStore::deleteRunEntry()
{
    QFile::remove(m_autostartPath);
}

bool StoredPlaySound(const SettingsStore &store)
{
    return store.ReadSettingNumber(SettingName::PlaySound) == 1;
}
