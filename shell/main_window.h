#pragma once

#include <QMainWindow>
#include <map>

#include "event/resume.h"
#include "forms_kit/form_host.h"
#include "shell/app_state.h"
#include "shell/heartbeat.h"
#include "shell/live_table_editing.h"

class QLabel;

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace velkaro {

class LiveScreenWidget;
class UnknownChipsPanel;
class LiveAddressLabel;
class LiveServer;

// The one top-level window: menu bar, event tree, race panel and live race screen. It runs the
// start-up sequence as it is made; ConnectDecoder and StartTimer finish it once it is shown.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(AppPlatform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads the interface settings and looks for the decoder on its port (start-up messages; no
    // decoder is said on the race panel).
    void ConnectDecoder();
    void StartTimer();

    QAction* Command(int id) const;
    QTreeWidget* Tree() const { return tree_; }
    QWidget* PanelControl(int id) const;
    LiveScreenWidget* LiveScreen() const { return live_; }
    AppState& State() { return state_; }
    Heartbeat& Beat() { return heartbeat_; }

    // Runs a menu, pop-up or panel command by its id.
    void RunCommand(int id);

  signals:
    void CommandTriggered(int id);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildMenuBar();
    void BuildPanel();
    void RegisterCommands();
    void StartLivePage();
    void RebuildTree();
    QTreeWidgetItem* AddNodes(const std::vector<struct TreeNode>& nodes, QTreeWidgetItem* under);
    void OnTick();
    void OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void OnContextMenu(const QPoint& at);
    void OnItemEdited(QTreeWidgetItem* item);
    void ApplyTitle();
    void ClearEvent();
    void ReadEventBack();
    void NewEvent();
    void LoadEvent();
    void LoadEventFile(const std::string& chosen);
    void NoteEventFile();
    void FillRecentMenu();
    bool Save();
    bool SaveBeforeLeaving();
    // Whether the working copy differs from the event as last loaded, saved or created.
    void NoteEventSaved(std::string_view file);
    bool EventChanged();
    bool SaveAs();
    void NewCategory();
    void ShutDown();
    LiveScreenInput LiveInput();
    void ApplyPanel(bool force = false);
    void AfterRunChange();
    void ShowAlerts();
    void ClearRunPanel();
    bool RecordRunIfAny(QTreeWidgetItem* node);
    void LoadRunOf(QTreeWidgetItem* node);
    void ShowRunPopup();
    void ShowTransponderMode(int radio);
    void OnRowClicked(int standing, bool ctrl);
    void OnTableClicked(int standing, int x, int y, bool ctrl);
    void ShowEditControls();
    void RemoveEditControls();
    void GiveUnknownChip(int chip, int slot, bool toParticipant);

    AppPlatform& platform_;
    AppState state_;
    FormHost host_;
    int screenW_ = 1600;
    int screenH_ = 900;
    LiveScreenWidget* live_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    std::map<int, QAction*> actions_;
    QMenu* recentMenu_ = nullptr;
    RecentEvents recent_;
    CommandRegistry commands_;
    std::map<int, QWidget*> panel_;
    UnknownChipsPanel* unknownChips_ = nullptr;
    Heartbeat heartbeat_;
    LiveServer* liveServer_ = nullptr;  // off unless the director turned it on
    LiveAddressLabel* liveAddress_ = nullptr;
    bool shutDown_ = false;
    bool fillingTree_ = false;
    std::string linkDownShown_;
    std::string soundOffShown_;
    std::uint32_t noticesSeen_ = 0;

    std::uint32_t panelSeen_ = ~0u;
    std::uint32_t repaintsSeen_ = 0;

    // The live table's editing modes and the controls over the edited cell.
    LiveTableEditing editing_;
    std::vector<QWidget*> editControls_;
};

}  // namespace velkaro
