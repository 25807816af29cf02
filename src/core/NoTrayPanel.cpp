#include "core/NoTrayPanel.h"

#include "core/TrayIcon.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>

NoTrayPanel::NoTrayPanel(TrayIcon &tray, QLabel *info_notray, QPushButton *command_menu,
                         QMenu *mnuFile, std::function<void()> relayout, QObject *parent)
    : QObject(parent), m_tray(tray), m_label(info_notray), m_button(command_menu), m_menu(mnuFile)
{
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

void NoTrayPanel::command_menu_Click()
{
    if (m_menu)
        m_menu->popup(m_button->mapToGlobal(QPoint(0, m_button->height())));
}
