#include "StatusNotifierWatcher.h"

#include <QThread>

namespace {
const QString Name = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ObjectPath = QStringLiteral("/StatusNotifierWatcher");
} // namespace

StatusNotifierWatcher::StatusNotifierWatcher(QDBusConnection connection)
    : m_connection(connection), m_thread(std::make_unique<QThread>())
{
    m_thread->start();
    moveToThread(m_thread.get());
    // Registered from its own thread, where the bus's helpers for it must live.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_registered = m_connection.registerObject(ObjectPath, this,
                                                       QDBusConnection::ExportAllSlots |
                                                           QDBusConnection::ExportAllProperties) &&
                           m_connection.registerService(Name);
        },
        Qt::BlockingQueuedConnection);
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    QThread *home = QThread::currentThread();
    QMetaObject::invokeMethod(
        this,
        [this, home] {
            m_connection.unregisterService(Name);
            m_connection.unregisterObject(ObjectPath);
            moveToThread(home);
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

QStringList StatusNotifierWatcher::items() const
{
    const QMutexLocker locker(&m_lock);
    return m_items;
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    const QMutexLocker locker(&m_lock);
    m_items << service;
}
