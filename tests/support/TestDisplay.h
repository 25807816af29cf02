#pragma once

#include <QProcess>
#include <QString>

// A virtual X display of the test's own (Xvfb, 1024x768), for what only X11 shows: window
// properties, the XEmbed tray, Qt's D-Bus tray (which the offscreen platform lacks). Started
// before the QApplication, which then runs on xcb on it; stopped by its process id.
class TestDisplay
{
public:
    TestDisplay();
    ~TestDisplay();
    TestDisplay(const TestDisplay &) = delete;
    TestDisplay &operator=(const TestDisplay &) = delete;

    bool isRunning() const { return !m_name.isEmpty(); }
    QString error() const { return m_error; }
    // ":N"
    QString name() const { return m_name; }
    // Sets DISPLAY and QT_QPA_PLATFORM=xcb for this process and the programs it starts.
    void use() const;

private:
    QProcess m_server;
    QString m_name;
    QString m_error;
};
