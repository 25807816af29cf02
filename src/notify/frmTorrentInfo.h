#pragma once

#include <QDialog>

#include <memory>

struct ProgramState;

namespace Ui {
class frmTorrentInfo;
}

// "Filter Info": which filter accepted a torrent of the "New Torrents" window, with a button
// that takes the user to that filter in the main window's filter list. The texts come from
// FilterInfoText.
class frmTorrentInfo : public QDialog
{
    Q_OBJECT
public:
    explicit frmTorrentInfo(ProgramState &state, QWidget *parent = nullptr);
    ~frmTorrentInfo() override;

    // The position of the result in the result list, and filling the window from it. False
    // (and nothing shown) when the position holds no result.
    void setid(int position);
    int position() const { return m_position; }
    bool load();

    // Shows the window modal to the whole program without running a nested event loop.
    void showModal();

    void onCommandGotoClicked();

signals:
    // "Show me this filter": the filter slot to bring up in the main window.
    void highlightfilter(int slot);

private:
    ProgramState &m_state;
    std::unique_ptr<Ui::frmTorrentInfo> m_ui;
    int m_position = -1;
    int m_filterIndex = 0;
};
