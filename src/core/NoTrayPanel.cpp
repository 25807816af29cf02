#include "core/NoTrayPanel.h"

#include "core/TrayIcon.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

NoTrayPanel::NoTrayPanel(TrayIcon &tray, QLabel *info_notray, QPushButton *command_menu,
                         QMenu *mnuFile, NewTorrents newTorrents, std::function<void()> relayout,
                         QObject *parent)
    : QObject(parent), m_tray(tray), m_label(info_notray), m_button(command_menu), m_menu(mnuFile),
      m_own(new QMenu(QStringLiteral("Menu"))),
      m_newTorrents(new QAction(QStringLiteral("New Torrents"), this)),
      m_newTorrentsHost(std::move(newTorrents))
{
    m_own->setObjectName(QStringLiteral("mnuNoTray"));
    m_newTorrents->setObjectName(QStringLiteral("mnuNewTorrents"));
    connect(m_newTorrents, &QAction::triggered, this, [this] { m_newTorrentsHost.show(); });
    connect(&m_tray, &TrayIcon::standInChanged, this, &NoTrayPanel::update);
    connect(m_button, &QPushButton::clicked, this, &NoTrayPanel::command_menu_Click);
    // The window lays itself out when it loads.
    update();
    m_relayout = std::move(relayout);
}

void NoTrayPanel::update()
{
    const bool needed = m_tray.standInNeeded();
    // isVisibleTo: the window itself may be hidden.
    const bool shownBefore = m_label->isVisibleTo(m_label->window());
    const bool newText = m_label->text() != m_tray.standInText();
    m_label->setText(m_tray.standInText());
    m_label->setVisible(needed);
    m_button->setVisible(needed);
    // Another line may wrap to another height.
    if ((shownBefore != needed || (needed && newText)) && m_relayout)
        m_relayout();
}

NoTrayPanel::~NoTrayPanel()
{
    delete m_own;
}

void NoTrayPanel::command_menu_Click()
{
    if (!m_menu)
        return;
    m_own->clear();
    if (m_newTorrentsHost.waiting()) {
        m_own->addAction(m_newTorrents);
        m_own->addSeparator();
    }
    m_own->addActions(m_menu->actions());
    m_own->setDefaultAction(m_menu->defaultAction());
    m_own->popup(m_button->mapToGlobal(QPoint(0, m_button->height())));
}
