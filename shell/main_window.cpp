#include "shell/main_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <tuple>

#include "analysis/forms/analysis_forms.h"
#include "databases/circuits_file.h"
#include "databases/forms/database_forms.h"
#include "databases/transponder_sets.h"
#include "event/damage.h"
#include "event/event_file.h"
#include "event/event_tree.h"
#include "event/fingerprint.h"
#include "event/resume.h"
#include "event/run_results_files.h"
#include "event/window_settings.h"
#include "finals/finals_run.h"
#include "finals/forms/finals_forms.h"
#include "forms_kit/form_kit.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"
#include "platform/disk.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"
#include "qualification/forms/classification_forms.h"
#include "qualification/forms/preparation_forms.h"
#include "shell/live_options.h"
#include "shell/live_screen_widget.h"
#include "shell/menus.h"
#include "shell/notice_log_form.h"
#include "shell/options_forms.h"
#include "shell/race_panel.h"
#include "shell/race_screen.h"
#include "shell/unknown_chips_panel.h"
#include "timing/classification.h"
#include "timing/forms/interface_form.h"
#include "timing/interface_status.h"
#include "timing/run_loading.h"
#include "timing/scan_check.h"
#include "timing/start_refusal.h"

namespace velkaro {

namespace {

constexpr int kCodeRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;  // which of the ten pictures a node shows
constexpr int kLogoWidth = 196;

QIcon Picture(const char* file) {
    return QIcon(QString::fromStdString(FileSystemName(file)));
}

// Category labels are edited in a field guarded as every text field of the forms: no more than
// the limit, nothing the event file cannot hold, and each refusal told.
class LimitedEditDelegate final : public QStyledItemDelegate {
  public:
    LimitedEditDelegate(Messages& messages, QObject* parent)
        : QStyledItemDelegate(parent), messages_(messages) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setObjectName("renameCategory");
            line->setAccessibleName("Category name");
            line->setMaxLength(kRenameLimit);
            line->setValidator(new TextGuard(*line, messages_));
        }
        return editor;
    }

  private:
    Messages& messages_;
};

}  // namespace

MainWindow::MainWindow(AppPlatform& platform, QWidget* parent)
    : QMainWindow(parent),
      platform_(platform),
      host_{this, platform, [this] { RebuildTree(); }},
      heartbeat_(10, [this] { OnTick(); }) {
    // 1. Menus; 2. the window.
    setObjectName("classeF");
    setWindowTitle("Velkaro");
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(200, 200, 200));
    setPalette(p);
    setAutoFillBackground(true);

    // 3. The program folder is already the current directory.
    state_.programFolder = CurrentFolder();
    window_ = ReadWindowSettings(*platform_.disk);

    // 4. The event worked on before this start survives in a dated crash copy and is reopened;
    // a blank one is neither kept nor resumed, so that a second start never loses the event.
    Disk& disk = *platform_.disk;
    RecoverWorkingCopy(disk);
    std::optional<std::string> previous = ReadWholeFile(disk, kWorkingCopy);
    const bool holds = previous && HoldsAnEvent(*previous);
    LocalDateTime changed;
    if (holds) {
        QDateTime at =
            QFileInfo(QString::fromStdString(FileSystemName(kWorkingCopy))).lastModified();
        changed = {at.date().year(),
                   at.date().month(),
                   at.date().day(),
                   at.time().hour(),
                   at.time().minute(),
                   at.time().second(),
                   0,
                   at.date().dayOfWeek() % 7};
        QDir().mkpath(QString::fromStdString(FileSystemName(kCrashFolder)));
        if (KeepCrashCopy(platform_.clock.Now(), disk) == CrashCopy::Failed) {
            platform_.messages.Error(
                CannotWrite(disk.LastFault(), CrashCopyName(platform_.clock.Now())));
        }
        if (!CopyFileReplacing(kWorkingCopy, kCrashCopy, disk)) {
            platform_.messages.Error(CannotWrite(disk.LastFault(), kCrashCopy));
        }
    }
    // A copy that a fault left damaged is told first: the director may go on with what can be
    // read of it or start blank, the damaged file kept either way.
    const bool resume = holds && CheckPreviousEvent(*previous, kCrashCopy, platform_.messages) !=
                                     PreviousEvent::Blank;
    recent_ = ReadRecentEvents(disk);
    FillRecentMenu();

    // 6 and 7. The previous event, or a new one with one category.
    ClearEvent();
    if (resume) {
        state_.eventPath = recent_.current.View();
    } else if (CreateNewEventFile("CATEGORY 1", disk) != FileOutcome::Done) {
        platform_.messages.Error(kRaceFileNotFound);
    }
    ReadEventBack();

    // 8. The circuits and the transponder sets.
    RunEngine& engine = state_.engine;
    engine.link = &state_.link;
    engine.clockSource = &platform_.clock;
    engine.sound = &platform_.sounds;
    engine.disk = platform_.disk;
    engine.messages = &platform_.messages;
    // A run is recorded the moment it ends, inside the tick: what the disk refuses stays in the
    // panel for the next chance, and a notice says so.
    engine.runEnded = [this](RunEngine& e) {
        if (!RecordEndedRun(e, state_.event, *platform_.disk)) return;
        for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
            if ((*it)->data(0, kCodeRole).toInt() != e.nodeCode) continue;
            (*it)->setIcon(0, Picture(kTreeIcons[kImageRunDone]));
            (*it)->setData(0, kImageRole, int(kImageRunDone));
        }
    };
    state_.link.port = &platform_.port;
    state_.link.clock = &platform_.clock;
    state_.link.disk = platform_.disk;
    FileFlaws flaws;
    if (!LoadCircuits(engine.circuits, *platform_.disk, &flaws))
        platform_.messages.Error(kCircuitsFileNotFound);
    TellFlaws(flaws, platform_.messages);
    flaws = {};
    if (!LoadTransponderSets(state_.transponderSets, *platform_.disk, &flaws)) {
        platform_.messages.Error(kTransponderSetsFileNotFound);
    }
    TellFlaws(flaws, platform_.messages);
    // 9. Sounds.
    if (!ReadSoundSettings(state_.sound, *platform_.disk))
        platform_.messages.Error(kSoundSettingsFileNotFound);
    engine.soundSettings = state_.sound;
    // 10. The look of the live screen.
    for (TextStyleSetting& t : state_.display.textStyles) t.faceName.Clear();
    if (!ReadDisplaySettings(kDisplaySettingsFile, state_.display, state_.customColours,
                             *platform_.disk)) {
        platform_.messages.Error(kDisplaySettingsFileNotFound);
    }
    state_.widths = state_.display.columnWidths;

    // The event tree in a pane of its own beside the race area, the live screen with the race
    // panel on it; the director sets the pane's width, never below what the labels need.
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("treeSplitter");
    splitter_->setAccessibleName("Event tree and race area");
    splitter_->setChildrenCollapsible(false);
    treePane_ = new QWidget(splitter_);
    treePane_->setObjectName("treePane");
    auto* paneLayout = new QVBoxLayout(treePane_);
    paneLayout->setContentsMargins(4, 2, 0, 6);
    auto* logo = new QLabel(treePane_);
    logo->setObjectName("logo");
    logo->setAccessibleName("Logo");
    logo->setPixmap(
        QPixmap(QString::fromStdString(FileSystemName(kLogoFile))).copy(0, 0, kLogoWidth, 50));
    paneLayout->addWidget(logo);
    live_ = new LiveScreenWidget([this] { return LiveInput(); }, state_.widths, splitter_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    connect(
        live_, &LiveScreenWidget::RowClicked, this,
        [this](int standing, int x, int y, bool ctrl) { OnTableClicked(standing, x, y, ctrl); });
    connect(live_, &LiveScreenWidget::ScrollChanged, this, [this](int) { ShowEditControls(); });
    connect(live_, &LiveScreenWidget::Resized, this, [this] {
        PlacePanel();
        ShowEditControls();
    });
    raceScreen_ = new RaceScreenOutput([this] { return LiveInput(); }, state_.widths, this);

    // 11. The event tree: its one column as wide as its longest label, so that none is cut.
    tree_ = new QTreeWidget(treePane_);
    paneLayout->addWidget(tree_, 1);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this] { FitTree(); });
    Name(tree_, kEventTreeControl, "Event tree");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setItemDelegate(new LimitedEditDelegate(platform_.messages, tree_));
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setFrameShape(QFrame::StyledPanel);
    tree_->setFrameShadow(QFrame::Sunken);
    QPalette treePalette = tree_->palette();
    treePalette.setColor(QPalette::Base, ToQColor(ColourOf(state_.display.colours[1])));
    tree_->setPalette(treePalette);
    tree_->setIconSize(QSize(16, 16));
    connect(tree_, &QTreeWidget::currentItemChanged, this, &MainWindow::OnSelectionChanged);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this, &MainWindow::OnContextMenu);
    connect(tree_, &QTreeWidget::itemChanged, this, &MainWindow::OnItemEdited);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { OpenNode(item); });
    RebuildTree();

    // 12 to 14. The commands, the race panel, the hidden scroll bar, the run's defaults.
    RegisterCommands();
    BuildPanel();
    StartLivePage();
    BuildMenuBar();
    CheckCommands();
    FillRecentMenu();
    ClearRunPanel();
    ShowAlerts();
    state_.minimumLapSeconds = kDefaultMinimumLapSeconds;
    state_.circuitIndex = kNoCircuit;
    if (resume) {
        ReadEventBack();  // the event's own minimum lap time and circuit over the defaults
        std::string name(state_.track.eventName.View());
        if (name.empty() && !state_.eventPath.empty()) {
            name = FromQString(QFileInfo(ToQString(state_.eventPath)).completeBaseName());
        }
        if (name.empty()) name = state_.event.header.categories[0].name.View();
        Text<256> notice = ResumedNotice(name, changed);
        PostNotice(state_.engine.notices, platform_.clock.TickMs(), notice.View());
        ShowAlerts();
    }
    ApplyTitle();
    // A resumed event is unchanged while it matches the user's file; work left unsaved by the
    // previous session counts as a change.
    NoteEventSaved(resume && !state_.eventPath.empty() ? std::string_view(state_.eventPath)
                                                       : kWorkingCopy);
    live_->Remeasure(0);

    // Without a window manager (a kiosk, a virtual display) "maximized" means nothing: start
    // at the screen's size anyway.
    if (QScreen* screen = this->screen()) setGeometry(screen->availableGeometry());
    FitTree();
    const int treeWidth = std::max(window_.treeWidth, treePane_->minimumWidth());
    splitter_->setSizes({treeWidth, std::max(1, width() - treeWidth)});
    ApplyRaceScreen();
}

void MainWindow::FitTree() {
    // The labels shown, the expand buttons and a vertical scroll bar; at most two fifths of the
    // window, beyond which the tree scrolls sideways rather than cut a label.
    const QAbstractItemView* view = tree_;  // the tree's own measure, public from here
    int needed = view->sizeHintForColumn(0) + 2 * tree_->frameWidth() +
                 tree_->verticalScrollBar()->sizeHint().width() + 8;
    if (width() > 0) needed = std::min(needed, width() * 2 / 5);
    // The logo above it whole as well.
    treePane_->setMinimumWidth(std::max(needed, kLogoWidth + 4));
}

void MainWindow::ApplyRaceScreen() {
    raceScreen_->ShowOn(ToQString(window_.raceScreen));
    raceScreen_->Remeasure(state_.engine.tables.carsInUse);
}

void MainWindow::TakeWindowSettings(const WindowSettings& settings) {
    window_.raceScreen = settings.raceScreen;
    ApplyRaceScreen();
}

void MainWindow::RemeasureScreens(int carsInRun) {
    live_->Remeasure(carsInRun);
    live_->update();
    raceScreen_->Remeasure(carsInRun);
}

MainWindow::~MainWindow() {
    ShutDown();
}

QAction* MainWindow::AddCommandAction(QMenu* menu, CommandId id, bool onNode) {
    const velkaro::Command* command = commands_.Find(id);
    if (command == nullptr) return nullptr;  // told by the check of the commands
    QAction* a = menu->addAction(ToQString(command->label));
    a->setObjectName(QString::number(ToInt(id)));
    if (!command->icon.empty()) a->setIcon(Picture(std::string(command->icon).c_str()));
    if (!command->shortcut.empty()) a->setShortcut(QKeySequence(ToQString(command->shortcut)));
    connect(a, &QAction::triggered, this, [this, id, onNode] {
        if (onNode) {
            RunOnNode(id);
        } else {
            RunCommand(id);
        }
    });
    actions_[id] = a;
    return a;
}

void MainWindow::BuildMenuBar() {
    for (const MenuDef& def : kMenuBar) {
        QString title = QString::fromUtf8(def.title.data(), qsizetype(def.title.size()));
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(title);
        for (const MenuEntry& e : def.entries) {
            if (e) {
                AddCommandAction(menu, *e, def.onNode);
            } else {
                menu->addSeparator();
            }
        }
        // The event files loaded or saved, between the two separators above "Quit".
        if (auto quit = actions_.find(CommandId::Quit); quit != actions_.end() && !recentMenu_) {
            QList<QAction*> entries = menu->actions();
            qsizetype at = entries.indexOf(quit->second);
            if (at >= 1) {
                recentMenu_ = new QMenu("Recent events", menu);
                recentMenu_->setObjectName("Recent events");
                recentMenu_->menuAction()->setObjectName("Recent events");
                menu->insertMenu(entries[at - 1], recentMenu_);
            }
        }
    }
}

void MainWindow::BuildPanel() {
    auto* chips = new QButtonGroup(this);
    for (const PanelControlDef& c : RacePanelLayout(live_->Screen())) {
        QString text = ToQString(c.text);
        QWidget* w = nullptr;
        switch (c.kind) {
            case ControlKind::BitmapButton: {
                auto* b = new QPushButton(live_);
                if (const velkaro::Command* command = commands_.Find(CommandId(c.id))) {
                    b->setIcon(Picture(std::string(command->icon).c_str()));
                }
                b->setToolTip(text);
                w = b;
                break;
            }
            case ControlKind::CentredText: {
                auto* l = new QLabel(text, live_);
                l->setAlignment(Qt::AlignCenter);
                w = l;
                break;
            }
            case ControlKind::GroupFrame:
                w = new QGroupBox(text, live_);
                w->setAttribute(Qt::WA_TransparentForMouseEvents);
                break;
            case ControlKind::PushButton:
                w = new QPushButton(text, live_);
                break;
            case ControlKind::RadioFirst:
            case ControlKind::Radio: {
                auto* radio = new QRadioButton(text, live_);
                chips->addButton(radio, c.id);
                w = radio;
                break;
            }
            case ControlKind::DropDown:
                w = new QComboBox(live_);
                break;
            case ControlKind::PushLikeCheck: {
                auto* b = new QPushButton(text, live_);
                b->setCheckable(true);
                w = b;
                break;
            }
            case ControlKind::BorderedText: {
                auto* l = new QLabel(live_);
                l->setFrameShape(QFrame::Box);
                w = l;
                break;
            }
            case ControlKind::AlertText: {
                auto* l = new QLabel(live_);
                QPalette red = l->palette();
                red.setColor(QPalette::WindowText, QColor(200, 0, 0));
                l->setPalette(red);
                l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                l->hide();
                w = l;
                break;
            }
            case ControlKind::NoticeLine: {
                auto* l = new QLabel(live_);
                l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                w = l;
                break;
            }
        }
        if (c.id == 0) {
            w->setObjectName("carButtons");
            w->setAccessibleName("Car buttons");
        } else {
            Name(w, c.id, text);
        }
        panel_[c.id] = w;
        auto* button = qobject_cast<QPushButton*>(w);
        if (button == nullptr || c.id == 0) continue;
        if (commands_.Find(CommandId(c.id))) {
            connect(button, &QPushButton::clicked, this,
                    [this, id = CommandId(c.id)] { RunCommand(id); });
        } else if (int k = c.id - kFirstCarButton; k >= 0 && k < kCarSlots) {
            connect(button, &QPushButton::clicked, this, [this, k] {
                CarButton(state_.engine, k);
                AfterRunChange();
            });
        }
    }
    // Group frames sit behind the controls they frame.
    for (auto& [id, w] : panel_) {
        if (qobject_cast<QGroupBox*>(w)) w->lower();
    }
    static_cast<QRadioButton*>(panel_[kPersonalChipsRadio])->setChecked(true);
    for (int id : {kPersonalChipsRadio, kClubChipsRadio, kMixedScanRadio}) {
        connect(static_cast<QRadioButton*>(panel_[id]), &QRadioButton::clicked, this,
                [this, id] { ShowTransponderMode(id); });
    }
    for (int id : {kTransponderSetList, ToInt(CommandId::Scan), kScanStatus}) panel_[id]->hide();
    auto* sets = static_cast<QComboBox*>(panel_[kTransponderSetList]);
    for (const TransponderSet& set : state_.transponderSets)
        sets->addItem(ToQString(set.name.View()));
    for (int k = 0; k < kCarSlots; ++k) panel_[kFirstCarButton + k]->setEnabled(false);
    // Over the bottom of the live table, where a heat of few cars leaves it empty.
    unknownChips_ = new UnknownChipsPanel(
        [this](int chip, int slot, bool toParticipant) {
            GiveUnknownChip(chip, slot, toParticipant);
        },
        live_);
    unknownChips_->setFont(ProgramFont(13));  // its places are drawn for that size
    PlacePanel();
}

// The panel over the race area as it is now: places, sizes and fonts follow its size.
void MainWindow::PlacePanel() {
    if (panel_.empty()) return;
    const ScreenSize sc = live_->Screen();
    live_->setFont(ProgramFont(std::max(10, sc.P(13))));
    for (const PanelControlDef& c : RacePanelLayout(sc)) {
        QWidget* w = panel_[c.id];
        QRect r(c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height());
        if (auto* b = qobject_cast<QPushButton*>(w); b && !b->icon().isNull()) {
            int side = std::min(r.width(), r.height()) - 6;
            b->setIconSize(QSize(side, side));
        }
        if (qobject_cast<QComboBox*>(w)) r.setHeight(std::min(r.height(), sc.P(24)));
        w->setGeometry(r);
    }
    for (int id : {kLinkDownText, kSoundOffText}) {
        panel_[id]->setFont(ProgramFont(std::max(11, sc.P(15)), true));
    }
    unknownChips_->move(std::max(0, sc.w - 470), std::max(0, 600 * sc.h / 900 - 262));
    // The newest notice cut again to its new width.
    noticesSeen_ = state_.engine.notices.posted - 1;
    ShowNewestNotice(*static_cast<QLabel*>(panel_[kNoticeLine]), state_.engine.notices,
                     noticesSeen_, platform_.clock);
    if (liveAddress_ != nullptr) {
        QRect r = panel_[kSoundOffText]->geometry();
        liveAddress_->setGeometry(r.translated(0, r.height() + 2));
        liveAddress_->setFont(panel_[kSoundOffText]->font());
    }
}

void MainWindow::GiveUnknownChip(int chip, int slot, bool toParticipant) {
    RunEngine& e = state_.engine;
    if (chip < 0 || chip >= e.unknownChips.count || slot < 0 || slot >= kCarSlots) return;
    const std::string driver(e.tables.cars[std::size_t(slot)].driverName.View());
    std::int32_t number = e.unknownChips.chips[std::size_t(chip)].number;
    if (!AssignUnknownChipCommand(e, chip, slot)) return;
    if (toParticipant)
        GiveParticipantChip(e.category, driver, number, platform_.messages, *platform_.disk);
    AfterRunChange();
}

QAction* MainWindow::Command(CommandId id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainWindow::PanelControl(int id) const {
    auto it = panel_.find(id);
    return it == panel_.end() ? nullptr : it->second;
}

LiveScreenInput MainWindow::LiveInput() {
    LiveScreenInput in;
    in.settings = &state_.display;
    in.widths = &state_.widths;
    in.screen = live_ ? live_->Screen() : ScreenSize{};
    in.measure = live_ ? live_->Measure() : TableMeasure{};
    const RunEngine& e = state_.engine;
    in.runTitle = e.runTitle.View();
    in.rows = &e.tables.rows;
    in.rowCount = e.tables.carsInUse;
    in.scrollPosition = live_ ? live_->ScrollPosition() : 0;
    in.clock = &e.clock;
    in.radioConflict = e.radioConflict != 0;
    in.radioConflicts = &e.radioConflicts;
    return in;
}

// What the run allows: menus, panel controls, car buttons, the tree.
void MainWindow::ApplyPanel(bool force) {
    RunEngine& e = state_.engine;
    if (tree_ == nullptr || panel_.empty()) return;  // still being built
    if (!force && e.panelChanges == panelSeen_) return;
    panelSeen_ = e.panelChanges;
    for (auto& [id, action] : actions_) action->setEnabled(CommandAllowed(id));
    for (const CommandEnabled& c : e.panel.commands) {
        if (QWidget* w = PanelControl(c.id)) w->setEnabled(CommandAllowed(c.id));
    }
    for (const IdEnabled& c : e.panel.controls) {
        if (QWidget* w = PanelControl(c.id)) w->setEnabled(c.enabled);
    }
    for (int k = 0; k < kCarSlots; ++k) {
        PanelControl(kFirstCarButton + k)->setEnabled(e.panel.carButtons[std::size_t(k)]);
    }
    tree_->setEnabled(e.panel.eventTree);
    static_cast<QPushButton*>(PanelControl(CommandId::Scan))->setChecked(e.panel.scanChecked);
    static_cast<QLabel*>(PanelControl(kScanStatus))->setText(ToQString(e.panel.scanStatus));
}

// After a command or a tick: the panel and the screen follow the run.
void MainWindow::AfterRunChange() {
    ApplyPanel();
    ShowAlerts();
    RunEngine& e = state_.engine;
    if (e.repaints != repaintsSeen_) {
        repaintsSeen_ = e.repaints;
        live_->UpdateRun();
        raceScreen_->UpdateRun();
    }
    if (unknownChips_) unknownChips_->Follow(e, platform_.clock.TickMs());
}

// What the director must know without a box to click away: the decoder is gone or missing, the
// calls are off, the newest notice. Each line is set only when its text changes.
void MainWindow::ShowAlerts() {
    auto show = [this](int id, std::string_view text, std::string& shown) {
        auto* label = static_cast<QLabel*>(PanelControl(id));
        if (label == nullptr || text == shown) return;
        shown = std::string(text);
        label->setText(ToQString(text));
        label->setVisible(!text.empty());
    };
    show(kLinkDownText, LinkStateText(state_.link, platform_.clock.TickMs()).View(),
         linkDownShown_);
    if (auto* line = static_cast<QLabel*>(PanelControl(kNoticeLine))) {
        ShowNewestNotice(*line, state_.engine.notices, noticesSeen_, platform_.clock);
    }
    std::string_view why = platform_.sounds.Status();
    show(kSoundOffText, why.empty() ? std::string() : "Sound off: " + std::string(why),
         soundOffShown_);
}

// No run in the panel: after start-up, "New event" and "Load event".
void MainWindow::ClearRunPanel() {
    velkaro::UnloadRun(state_.engine);
    ClearUnknownChips(state_.engine.unknownChips);
    ApplyPanel(true);
    if (live_) RemeasureScreens(0);
}

// ---------------------------------------------------------------------------------------------
// The event tree.

QTreeWidgetItem* MainWindow::AddNodes(const std::vector<TreeNode>& nodes, QTreeWidgetItem* under) {
    std::vector<QTreeWidgetItem*> items;
    QTreeWidgetItem* first = nullptr;
    for (const TreeNode& n : nodes) {
        QTreeWidgetItem* parent = n.parent >= 0 ? items[std::size_t(n.parent)] : under;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        item->setText(0, ToQString(n.label));
        item->setData(0, kCodeRole, n.code);
        item->setIcon(0, Picture(kTreeIcons[std::size_t(n.image)]));
        item->setData(0, kImageRole, n.image);
        if (n.bold) {
            QFont f = item->font(0);
            f.setBold(true);
            item->setFont(0, f);
        }
        if (NormalizedCode(n.code) == 10000 && n.code >= 10000) {
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        items.push_back(item);
        if (!first) first = item;
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) items[i]->setExpanded(nodes[i].expanded);
    return first;
}

// What the director opened or closed, and the node worked on, stay as they were; nodes new to
// the tree come as a new event's would.
void MainWindow::RebuildTree() {
    std::map<int, bool> expanded;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        expanded[(*it)->data(0, kCodeRole).toInt()] = (*it)->isExpanded();
    }
    const int selected = SelectedCode();
    fillingTree_ = true;
    tree_->clear();
    AddNodes(BuildEventTree(state_.event), nullptr);
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        const int code = (*it)->data(0, kCodeRole).toInt();
        if (auto was = expanded.find(code); was != expanded.end()) (*it)->setExpanded(was->second);
        if (code == selected && selected != 0) tree_->setCurrentItem(*it);
    }
    fillingTree_ = false;
    if (treePane_ != nullptr) FitTree();
    ApplyPanel(true);
}

// The run in the panel goes into the event when its node is left or the event saved. False
// when it could not be (the user was told): it stays in the panel for the next try.
bool MainWindow::RecordRunIfAny(QTreeWidgetItem* node) {
    RunEngine& e = state_.engine;
    if (node == nullptr || node->data(0, kCodeRole).toInt() != e.nodeCode) return true;
    if (e.kind == RunKind::FinalsRun) {
        if (!FinalsRunToRecord(e)) return true;
        if (!RecordLoadedFinalsRun(e, state_.event, platform_.messages, *platform_.disk)) {
            return false;
        }
    } else {
        if (!RunToRecord(e, state_.event)) return true;
        if (!RecordLoadedRun(e, state_.event, platform_.messages, *platform_.disk)) return false;
    }
    node->setIcon(0, Picture(kTreeIcons[kImageRunDone]));
    node->setData(0, kImageRole, int(kImageRunDone));
    return true;
}

void MainWindow::LoadRunOf(QTreeWidgetItem* node) {
    int code = node->data(0, kCodeRole).toInt();
    int c = 0, r = 0, h = 0, level = 0;
    char letter = 'A';
    state_.engine.soundSettings = state_.sound;
    if (FinalsRunOfNode(code, c, level, letter)) {
        LoadFinalsRun(state_.engine, c, level, letter, EventForRunOf(state_, c), *platform_.disk);
    } else if (HeatOfNode(code, c, r, h)) {
        LoadHeat(state_.engine, c, r, h, EventForRunOf(state_, c), *platform_.disk);
    } else {
        return;
    }
    ClearUnknownChips(state_.engine.unknownChips);
    state_.engine.nodeCode = code;
    StopEditing(editing_);
    RemoveEditControls();
    RemeasureScreens(state_.engine.tables.carsInUse);
    ApplyPanel(true);
}

void MainWindow::OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (fillingTree_ || current == nullptr) return;
    if (!RecordRunIfAny(previous)) {
        fillingTree_ = true;
        tree_->setCurrentItem(previous);  // the run not recorded keeps its node
        fillingTree_ = false;
        return;
    }
    int code = current->data(0, kCodeRole).toInt();
    // The header is read afresh, so that what the forms wrote is kept, and records the node.
    EventHeader header;
    if (ReadEventHeader(header, *platform_.disk) == FileOutcome::Done) state_.event.header = header;
    state_.event.header.selectedNode = code;
    if (WriteEventHeader(state_.event.header, *platform_.disk) != FileOutcome::Done) {
        platform_.messages.Error(kRaceFileNotFound);
    }
    // A click selects and shows; forms open on a double-click or a command.
    if (KindOf(code) == NodeKind::Heat || KindOf(code) == NodeKind::FinalsRun) LoadRunOf(current);
    ApplyPanel(true);  // the commands that work on the selection follow it
}

int MainWindow::SelectedCode() const {
    QTreeWidgetItem* item = tree_->currentItem();
    return item ? item->data(0, kCodeRole).toInt() : 0;
}

// False when the node is not in the tree or the run in the panel keeps the selection.
bool MainWindow::SelectNode(int code) {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if ((*it)->data(0, kCodeRole).toInt() != code) continue;
        tree_->setCurrentItem(*it);
        tree_->scrollToItem(*it);
        return tree_->currentItem() == *it;
    }
    return false;
}

void MainWindow::RunOnNode(CommandId id) {
    const int at = EventCommandNode(id, SelectedCode());
    if (at != 0 && at != SelectedCode() && !SelectNode(at)) return;
    RunCommand(id);
}

void MainWindow::OpenNode(QTreeWidgetItem* item) {
    if (item == nullptr || item != tree_->currentItem()) return;
    std::optional<CommandId> id =
        OpenCommand(state_.event.header, item->data(0, kCodeRole).toInt());
    if (id && CommandAllowed(*id)) RunOnNode(*id);
}

void MainWindow::OnContextMenu(const QPoint& at) {
    QTreeWidgetItem* item = tree_->itemAt(at);
    if (item == nullptr) return;
    std::vector<PopupEntry> entries =
        PopupEntries(state_.event.header, item->data(0, kCodeRole).toInt());
    if (entries.empty()) return;
    tree_->setCurrentItem(item);
    QMenu menu(this);
    menu.setObjectName("treePopup");
    for (const PopupEntry& e : entries) {
        const velkaro::Command* command = commands_.Find(e.id);
        if (command == nullptr) continue;
        QAction* a = menu.addAction(ToQString(command->label));
        a->setObjectName(QString::number(ToInt(e.id)));
        a->setEnabled(e.enabled && CommandAllowed(e.id));
        connect(a, &QAction::triggered, this, [this, id = e.id] { RunOnNode(id); });
    }
    menu.exec(tree_->viewport()->mapToGlobal(at));
}

void MainWindow::OnItemEdited(QTreeWidgetItem* item) {
    if (fillingTree_) return;
    int code = item->data(0, kCodeRole).toInt();
    EventHeader& h = state_.event.header;
    if (!RenameCategory(h, code, FromQString(item->text(0)))) return;
    fillingTree_ = true;
    item->setText(0, ToQString(h.categories[std::size_t(code / 10000 - 1)].name.View()));
    fillingTree_ = false;
    if (WriteEventHeader(h, *platform_.disk) != FileOutcome::Done)
        platform_.messages.Error(kRaceFileNotFound);
}

// ---------------------------------------------------------------------------------------------
// Commands.

void MainWindow::RegisterCommands() {
    CommandRegistry& c = commands_;
    c.Add({.id = CommandId::NewEvent,
           .label = "New event",
           .icon = "images/menu1001.bmp",
           .run = [this] { NewEvent(); }});
    c.Add({.id = CommandId::LoadEvent, .label = "Load event", .run = [this] { LoadEvent(); }});
    c.Add({.id = CommandId::Save, .label = "Save", .icon = "images/menu1003.bmp", .run = [this] {
               if (!state_.eventPath.empty()) Save();
           }});
    c.Add({.id = CommandId::SaveAs, .label = "Save as...", .run = [this] { SaveAs(); }});
    c.Add({.id = CommandId::Quit, .label = "Quit", .icon = "images/menu1005.bmp", .run = [this] {
               close();
           }});
    c.Add({.id = CommandId::Help, .label = "Help", .run = [this] {
               if (platform_.openDocument) {
                   platform_.openDocument(state_.programFolder + "/" + std::string(kHelpFile));
               }
           }});
    c.Add(
        {.id = CommandId::NewCategory, .label = "New category", .run = [this] { NewCategory(); }});
    c.Add({.id = CommandId::RenameCategory,
           .label = "Rename category",
           .run =
               [this] {
                   if (QTreeWidgetItem* item = tree_->currentItem()) tree_->editItem(item, 0);
               },
           .enabled = WhenTheTreeOffers(state_.event.header, CommandId::RenameCategory)});
    c.Add({.id = CommandId::Start,
           .label = "Start",
           .icon = kStartPicture,
           .shortcut = "F5",
           .run = [this] {
               // Given by the director: a start that cannot be says why, once, in a box.
               std::string_view refusal = StartRefusal(state_.engine);
               if (!refusal.empty()) {
                   platform_.messages.Show(kStartRefusedTitle, refusal, MessageButtons::Ok,
                                           MessageIcon::Information);
               }
               StartCommand(state_.engine);
           }});
    c.Add({.id = CommandId::Stop,
           .label = "Stop",
           .icon = kStopPicture,
           .shortcut = "F6",
           .run = [this] { StopCommand(state_.engine); }});
    c.Add({.id = CommandId::Clear, .label = "Clear", .icon = kClearPicture, .run = [this] {
               ClearCommand(state_.engine);
               StopEditing(editing_);
               RemoveEditControls();
           }});
    for (auto [id, label, key, step] :
         {std::tuple{CommandId::NextHeat, "Next heat", "F8", 1},
          std::tuple{CommandId::PreviousHeat, "Previous heat", "F7", -1}}) {
        c.Add({.id = id,
               .label = label,
               .shortcut = key,
               .run =
                   [this, step] {
                       if (int code = AdjacentRun(state_.event, SelectedCode(), step))
                           SelectNode(code);
                   },
               .enabled = [this,
                           step] { return AdjacentRun(state_.event, SelectedCode(), step) != 0; }});
    }
    c.Add({.id = CommandId::ModifyRunResults, .label = "Modify run results", .run = [this] {
               StartResultEditing(editing_);
               RemoveEditControls();
           }});
    c.Add({.id = CommandId::Results, .label = "Results", .icon = kResultsPicture, .run = [this] {
               ShowRunPopup();
           }});
    c.Add(
        {.id = CommandId::Notices, .label = "Notices", .run = [this] {
             NoticeLogForm(state_.engine.notices, platform_.clock, platform_.messages, this).Run();
         }});
    c.Add({.id = CommandId::Scan, .label = "Scan", .run = [this] {
               ScanToggle(state_.engine,
                          static_cast<QPushButton*>(PanelControl(CommandId::Scan))->isChecked());
           }});
    // Each subsystem's forms see only the part of the state that is theirs.
    AppState& s = state_;
    RegisterTimingForms(c, host_, {s.link, s.engine});
    RegisterDatabaseForms(
        c, host_, {s.engine, s.circuitIndex, s.track, s.transponderSets, s.event.header, s.link});
    RegisterFinalsForms(c, host_, {s.event.header, s.track, s.engine, [this] {
                                       if (QTreeWidgetItem* node = tree_->currentItem())
                                           LoadRunOf(node);
                                   }});
    RegisterQualificationForms(
        c, host_, {s.event, s.track, s.minimumLapSeconds, s.circuitIndex, s.engine.circuits});
    RegisterAnalysisForms(c, host_, {s.programFolder, s.engine});
    RegisterShellForms(c, host_, s);
    RegisterClassificationForms(c, host_, s.event.header);
}

void MainWindow::StartLivePage() {
    liveServer_ = new LiveServer(state_.engine, this);
    liveAddress_ = Name(new LiveAddressLabel(live_), kLiveAddressPanelText, "Live page");
    PlacePanel();
    liveAddress_->show();
    RegisterLiveForms(commands_, host_, *liveServer_, *liveAddress_);
    ApplyLiveSettings(*liveServer_, ReadLiveSettings(*platform_.disk), *liveAddress_);
}

void MainWindow::RunCommand(CommandId id) {
    if (!commands_.Run(id)) CheckCommands();
    AfterRunChange();
    ApplyPanel(true);  // what the command changed may change what the others allow
}

bool MainWindow::CommandAllowed(CommandId id) const {
    return IsEnabled(state_.engine.panel, id) && commands_.Enabled(id);
}

// Every command a menu, a pop-up or a button offers has one owner: a mistake here is found at
// the first start of a test or debug build, not by the director.
void MainWindow::CheckCommands() {
    std::vector<CommandId> offered(kRunPopup.begin(), kRunPopup.end());
    for (const MenuDef& def : kMenuBar) {
        for (const MenuEntry& e : def.entries) {
            if (e) offered.push_back(*e);
        }
    }
    for (CommandId id : kRunLockedCommands) offered.push_back(id);
    offered.push_back(CommandId::Results);
    offered.push_back(CommandId::Notices);
    offered.push_back(CommandId::DriverAnalysis);
    commands_.Expect(offered);
    for (const std::string& problem : commands_.Problems()) {
#ifdef NDEBUG
        qWarning("%s", problem.c_str());
#else
        qFatal("%s", problem.c_str());
#endif
    }
}

void MainWindow::ApplyTitle() {
    setWindowTitle(ToQString(WindowTitle(state_)));
    state_.engine.saveAllowed = !state_.eventPath.empty();
    RefreshPanel(state_.engine);
    ApplyPanel(true);
}

void MainWindow::ClearEvent() {
    state_.event = EventModel{};
    state_.track = TrackRecord{};
    state_.minimumLapSeconds = kDefaultMinimumLapSeconds;
    state_.circuitIndex = kNoCircuit;
    ClearRunPanel();
}

// The model as the working copy holds it: header, names, track, flags.
void MainWindow::ReadEventBack() {
    if (ReadEventHeader(state_.event.header, *platform_.disk) == FileOutcome::Unavailable) {
        platform_.messages.Error(kRaceFileNotFound);
        return;
    }
    for (int c = 1; c <= state_.event.header.categoryCount; ++c) {
        ReadParticipantNames(c, state_.event.participantNames[std::size_t(c - 1)], *platform_.disk);
    }
    ReadTrack(state_.track, *platform_.disk);
    int minimum = std::atoi(std::string(state_.track.minLapTime.View()).c_str());
    if (minimum > 0) state_.minimumLapSeconds = minimum;
    ReadRunDoneFlags(state_.event.runDone, *platform_.disk);
    state_.circuitIndex = FindCircuit(state_.engine.circuits, state_.track.circuit.View());
}

void MainWindow::NewEvent() {
    MessageAnswer a = platform_.messages.Show(
        "Be careful", "You wish to begin a new race!\nDo you want to save the current one?",
        MessageButtons::YesNoCancel, MessageIcon::Question);
    if (a == MessageAnswer::Cancel) return;
    if (a == MessageAnswer::Yes && !SaveBeforeLeaving()) return;
    state_.eventPath.clear();
    NoteEventFile();
    ApplyTitle();
    ClearEvent();
    if (CreateNewEventFile("CATEGORIE 1", *platform_.disk) != FileOutcome::Done) {
        platform_.messages.Error(kRaceFileNotFound);
    }
    ReadEventBack();
    RebuildTree();
    NoteEventSaved(kWorkingCopy);
}

void MainWindow::LoadEvent() {
    std::optional<std::string> chosen =
        platform_.dialogs.OpenFile(state_.programFolder, {kRaceFilter, kRacePattern});
    if (chosen) LoadEventFile(*chosen);
}

void MainWindow::LoadEventFile(const std::string& chosen) {
    if (EventChanged()) {
        MessageAnswer a =
            platform_.messages.Show("Be careful", "Do you want to save the current race?",
                                    MessageButtons::YesNoCancel, MessageIcon::Question);
        if (a == MessageAnswer::Cancel) return;
        if (a == MessageAnswer::Yes && !SaveBeforeLeaving()) return;
    }
    // A copy that fails says why and changes nothing: the event on screen stays the one worked on.
    if (CopyIntoWorkingCopy(chosen, platform_.messages, *platform_.disk) != FileOutcome::Done) {
        return;
    }
    state_.eventPath = chosen;
    NoteEventFile();
    ApplyTitle();
    ClearEvent();
    ReadEventBack();
    RebuildTree();
    NoteEventSaved(kWorkingCopy);
}

void MainWindow::NoteEventSaved(std::string_view file) {
    state_.savedFingerprint = FileFingerprint(file, *platform_.disk);
}

bool MainWindow::EventChanged() {
    return FileFingerprint(kWorkingCopy, *platform_.disk) != state_.savedFingerprint;
}

bool MainWindow::Save() {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if ((*it)->data(0, kCodeRole).toInt() == state_.engine.nodeCode && !RecordRunIfAny(*it)) {
            return false;
        }
    }
    bool copied = SaveWorkingCopyAs(state_.eventPath, platform_.messages, *platform_.disk) ==
                  FileOutcome::Done;
    if (copied) {
        NoteEventFile();
        NoteEventSaved(kWorkingCopy);
    }
    state_.engine.saveAllowed = true;
    RefreshPanel(state_.engine);
    ApplyPanel(true);
    return copied;
}

// The save the user asked for before the event is left: false when it failed, and the event
// must stay. A cancelled "Save as..." leaves it as before.
bool MainWindow::SaveBeforeLeaving() {
    if (!state_.eventPath.empty()) return Save();
    return SaveAs() || state_.eventPath.empty();
}

bool MainWindow::SaveAs() {
    std::string initial = state_.programFolder + "/" + std::string(kRacePattern);
    std::optional<std::string> name =
        platform_.dialogs.SaveFile(initial, {kRaceFilter, kRacePattern});
    if (!name || *name == initial) return false;
    state_.eventPath = WithRaceExtension(*name);
    ApplyTitle();
    return Save();
}

// The recent files only help: a list that cannot be written costs no work, and says nothing.
void MainWindow::NoteEventFile() {
    NoteRecentEvent(recent_, state_.eventPath);
    WriteRecentEvents(recent_, *platform_.disk);
    FillRecentMenu();
}

void MainWindow::FillRecentMenu() {
    if (recentMenu_ == nullptr) return;
    recentMenu_->clear();
    for (int i = 0; i < recent_.count; ++i) {
        std::string path(recent_.files[std::size_t(i)].View());
        QAction* a = recentMenu_->addAction(ToQString(path));
        a->setObjectName(QString("recent%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, path] { LoadEventFile(path); });
    }
    recentMenu_->setEnabled(recent_.count > 0);
}

void MainWindow::NewCategory() {
    EventHeader& h = state_.event.header;
    if (!AddCategory(h)) return;
    if (WriteEventHeader(h, *platform_.disk) != FileOutcome::Done)
        platform_.messages.Error(kRaceFileNotFound);
    fillingTree_ = true;
    QTreeWidgetItem* added = AddNodes(BuildCategorySubtree(state_.event, h.categoryCount), nullptr);
    fillingTree_ = false;
    if (added) SelectNode(added->data(0, kCodeRole).toInt());
}

void MainWindow::ConnectDecoder() {
    ConnectDecoderAtStartUp(state_.link, platform_.messages, state_.engine.notices);
    ShowAlerts();
}

void MainWindow::StartTimer() {
    heartbeat_.Start();
}

void MainWindow::OnTick() {
    OnTimerTick(state_.engine);
    AfterRunChange();
}

// The results button's pop-up, at the mouse.
void MainWindow::ShowRunPopup() {
    QMenu menu(this);
    menu.setObjectName("runPopup");
    for (CommandId id : kRunPopup) {
        const velkaro::Command* command = commands_.Find(id);
        if (command == nullptr) continue;
        QAction* a = menu.addAction(ToQString(command->label));
        a->setObjectName(QString::number(ToInt(id)));
        a->setEnabled(CommandAllowed(id));
        connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
    }
    menu.exec(QCursor::pos());
}

// Club chips choose from a transponder set; the mixed mode learns them with the scan.
void MainWindow::ShowTransponderMode(int radio) {
    state_.transponderMode = radio;
    TransponderModeChosen(editing_, radio);
    RemoveEditControls();
    PanelControl(kTransponderSetList)->setVisible(radio == kClubChipsRadio);
    PanelControl(CommandId::Scan)->setVisible(radio == kMixedScanRadio);
    PanelControl(kScanStatus)->setVisible(radio == kMixedScanRadio);
}

// The transponder set chosen in the race panel, for the club chips.
namespace {
const TransponderSet& ChosenSet(const AppState& state, QWidget* list) {
    int index = static_cast<QComboBox*>(list)->currentIndex();
    return state.transponderSets[std::size_t(std::clamp(index, 0, kTransponderSets - 1))];
}
}  // namespace

// In an editing mode a click works on the cell; otherwise Ctrl and a click opens the analysis.
void MainWindow::OnTableClicked(int standing, int x, int y, bool ctrl) {
    RunEngine& e = state_.engine;
    TableLayout layout = ComputeLayout(live_->Screen(), state_.widths, live_->Measure().rowHeight);
    EditClickResult r =
        EditClick(editing_, e.tables, layout, live_->Measure(), live_->ScrollPosition(),
                  ChosenSet(state_, PanelControl(kTransponderSetList)), platform_.sounds, x, y);
    if (r.mode == EditMode::None) {
        OnRowClicked(standing, ctrl);
        return;
    }
    if (r.controls.count > 0 || r.controls.list) ShowEditControls();
}

void MainWindow::RemoveEditControls() {
    for (QWidget* w : editControls_) {
        w->hide();
        w->deleteLater();  // a field may be the sender of the change that removes it
    }
    editControls_.clear();
}

// The controls of the edited cell, made afresh where the cell now is.
void MainWindow::ShowEditControls() {
    RemoveEditControls();
    RunEngine& e = state_.engine;
    TableLayout layout = ComputeLayout(live_->Screen(), state_.widths, live_->Measure().rowHeight);
    const TransponderSet& set = ChosenSet(state_, PanelControl(kTransponderSetList));
    EditControls c = EditControlsFor(editing_, e.tables, layout, live_->ScrollPosition(), set);
    if (editing_.editedRow - live_->ScrollPosition() >= live_->Measure().visibleRows) return;
    auto rectOf = [](const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); };
    if (c.list) {
        auto* list = Name(new QComboBox(live_), kClubChipsList, "Club transponders");
        for (const Text<7>& t : c.choices) list->addItem(ToQString(t.View()));
        list->setCurrentIndex(c.selected);
        list->setGeometry(rectOf(c.listRect).adjusted(0, 0, 0, 4));
        connect(list, &QComboBox::activated, this, [this, list](int) {
            TransponderChosen(editing_, state_.engine.tables, FromQString(list->currentText()));
            RebuildLiveOrder(state_.engine.tables, state_.engine.options);
            live_->update();
        });
        list->show();
        editControls_.push_back(list);
        return;
    }
    for (int k = 0; k < c.count; ++k) {
        const EditField& f = c.fields[std::size_t(k)];
        auto* field = Name(new QLineEdit(ToQString(f.text.View()), live_), f.id,
                           ToQString(EditFieldLabel(f.id)));
        field->setMaxLength(f.limit);
        field->setAlignment(Qt::AlignRight);
        field->setValidator(new TextGuard(*field, platform_.messages, TextGuard::Takes::Digits));
        field->setGeometry(rectOf(f.rect));
        connect(field, &QLineEdit::textEdited, this, [this, field, id = f.id](const QString& text) {
            int row = editing_.editedRow;
            Text<8> shown = FieldChanged(editing_, state_.engine, id, FromQString(text));
            if (FromQString(text) != shown.View()) field->setText(ToQString(shown.View()));
            AfterRunChange();
            live_->update();
            if (editing_.editedRow != row) {
                // The car moved in the order: its fields move with it, the typing goes on.
                QTimer::singleShot(0, this, [this, id] {
                    ShowEditControls();
                    if (auto* again = live_->findChild<QLineEdit*>(QString::number(id))) {
                        again->setFocus();
                        again->end(false);
                    }
                });
            }
        });
        field->show();
        editControls_.push_back(field);
    }
    if (!editControls_.empty()) editControls_.front()->setFocus();
}

// Ctrl and a click on a driver's row hands that driver's run to the analysis.
void MainWindow::OnRowClicked(int standing, bool ctrl) {
    RunEngine& e = state_.engine;
    if (!ctrl || standing < 0 || standing >= e.tables.carsInUse) return;
    int slot = e.tables.standings[std::size_t(standing)].carNumber - 1;
    if (slot < 0 || slot >= kCarSlots) return;
    std::string_view circuit = state_.circuitIndex < kCircuitRecords
                                   ? e.circuits[std::size_t(state_.circuitIndex)].name.View()
                                   : std::string_view{};
    WriteDriverResults(e.tables.cars, slot, e.runTitle.View(), circuit,
                       e.trailer.description.View(), platform_.messages, *platform_.disk);
    RunCommand(CommandId::DriverAnalysis);
}

// ---------------------------------------------------------------------------------------------
// Closing.

void MainWindow::closeEvent(QCloseEvent* event) {
    if (shutDown_) {
        event->accept();
        return;
    }
    if (QuitRefused(state_.engine)) {
        platform_.messages.Show(kQuitRefusedTitle, kQuitRefusedText, MessageButtons::Ok,
                                MessageIcon::Error);
        event->ignore();
        return;
    }
    MessageAnswer a = platform_.messages.Show(
        "Be careful", "You wish to quit!\nDo you want to save the current race?",
        MessageButtons::YesNoCancel, MessageIcon::Question);
    if (a == MessageAnswer::Cancel) {
        event->ignore();
        return;
    }
    if (a == MessageAnswer::Yes && !SaveBeforeLeaving()) {
        event->ignore();
        return;
    }
    ShutDown();
    event->accept();
}

void MainWindow::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    // The detailed results never carry the last run into the next start.
    RunCars empty;
    ClearRunCars(empty);
    for (RunCar& car : empty) car.driverName = kEmptySlotName;
    ResetRunCars(empty);
    WriteRunDetails(empty, kByLapsAndTime, platform_.messages, *platform_.disk);
    state_.display.columnWidths = state_.widths;
    heartbeat_.Stop();
    if (!WriteDisplaySettings(kDisplaySettingsFile, state_.display, state_.customColours,
                              *platform_.disk)) {
        platform_.messages.Error(CannotWrite(platform_.disk->LastFault(), kDisplaySettingsFile));
    }
    if (state_.link.port) ClosePort(*state_.link.port);
    // The tree's width as the director left it, for the next start.
    if (const int treeWidth = splitter_->sizes().value(0); treeWidth != window_.treeWidth) {
        window_.treeWidth = treeWidth;
        if (!WriteWindowSettings(window_, *platform_.disk)) {
            platform_.messages.Error(CannotWrite(platform_.disk->LastFault(), kWindowSettingsFile));
        }
    }
}

}  // namespace velkaro
