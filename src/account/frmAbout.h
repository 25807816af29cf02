#pragma once

#include <QDialog>

#include <memory>

struct Services;

namespace Ui {
class frmAbout;
}

// "About Pollwick": name, version, legal notice and the home-page link. Modeless, owned by the
// main window, and deleted when it closes. A left click on the link opens the home page in the
// browser and closes the window.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    frmAbout(Services &services, QWidget *mainWindow);
    ~frmAbout() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::frmAbout> m_ui;
    Services &m_services;
    // The button of the last press on the link, Qt::NoButton after its release.
    Qt::MouseButton m_linkButton = Qt::NoButton;
};
