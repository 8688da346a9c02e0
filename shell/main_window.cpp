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
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>

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
    BuildMenuBar();

    // 3. The program folder is already the current directory.
    state_.programFolder = CurrentFolder();
    if (QScreen* screen = this->screen()) {
        screenW_ = screen->geometry().width();
        screenH_ = screen->geometry().height();
    }

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
        if (!CopyFileReplacing(kWorkingCopy, kCrashCopy)) {
            platform_.messages.Error(CannotWrite(SystemDisk().LastFault(), kCrashCopy));
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

    // The live screen fills the client area; the tree and the panel lie on it.
    live_ = new LiveScreenWidget([this] { return LiveInput(); }, state_.widths, this);
    setCentralWidget(live_);
    connect(
        live_, &LiveScreenWidget::RowClicked, this,
        [this](int standing, int x, int y, bool ctrl) { OnTableClicked(standing, x, y, ctrl); });
    connect(live_, &LiveScreenWidget::ScrollChanged, this, [this](int) { ShowEditControls(); });

    // 11. The event tree.
    tree_ = new QTreeWidget(live_);
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
    RebuildTree();

    // 12 to 14. The race panel, the hidden scroll bar, the run's defaults.
    BuildPanel();
    RegisterCommands();
    StartLivePage();
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
}

MainWindow::~MainWindow() {
    ShutDown();
}

void MainWindow::BuildMenuBar() {
    for (const MenuDef& def : kMenuBar) {
        QString title = QString::fromUtf8(def.title.data(), qsizetype(def.title.size()));
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(title);
        for (const MenuEntry& e : def.entries) {
            if (e.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* a =
                menu->addAction(QString::fromUtf8(e.label.data(), qsizetype(e.label.size())));
            a->setObjectName(QString::number(e.id));
            if (e.hasBitmap) {
                Text<32> file;
                Format(file, kMenuBitmapFormat, e.id);
                a->setIcon(Picture(file.CStr()));
            }
            connect(a, &QAction::triggered, this, [this, id = e.id] { RunCommand(id); });
            actions_[e.id] = a;
        }
        // The event files loaded or saved, between the two separators above "Quit".
        if (auto quit = actions_.find(kQuitCommand); quit != actions_.end() && !recentMenu_) {
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
    for (const PanelControlDef& c : RacePanelLayout(screenW_, screenH_)) {
        QString text = ToQString(c.text);
        QRect r(c.rect.left, c.rect.top, c.rect.Width(), c.rect.Height());
        QWidget* w = nullptr;
        switch (c.kind) {
            case ControlKind::BitmapButton: {
                auto* b = new QPushButton(live_);
                const char* face = c.id == kStartButton     ? kStartPicture
                                   : c.id == kStopButton    ? kStopPicture
                                   : c.id == kClearButton   ? kClearPicture
                                   : c.id == kResultsButton ? kResultsPicture
                                                            : kPrintPicture;
                b->setIcon(Picture(face));
                b->setIconSize(QSize(std::min(r.width(), r.height()) - 6,
                                     std::min(r.width(), r.height()) - 6));
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
                r.setHeight(std::min(r.height(), 24));
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
                QFont f = l->font();
                f.setPixelSize(15);
                f.setBold(true);
                l->setFont(f);
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
        w->setGeometry(r);
        panel_[c.id] = w;
        if (auto* button = qobject_cast<QPushButton*>(w); button && c.id != 0) {
            connect(button, &QPushButton::clicked, this, [this, id = c.id] { RunCommand(id); });
        }
    }
    // Group frames sit behind the controls they frame.
    for (auto& [id, w] : panel_) {
        if (qobject_cast<QGroupBox*>(w)) w->lower();
    }
    static_cast<QRadioButton*>(panel_[kPersonalChipsRadio])->setChecked(true);
    for (int id : {kPersonalChipsRadio, kClubChipsRadio, kMixedScanRadio}) {
        connect(static_cast<QRadioButton*>(panel_[id]), &QRadioButton::clicked, this,
                [this, id] { RunCommand(id); });
    }
    for (int id : {kTransponderSetList, kScanButton, kScanStatus}) panel_[id]->hide();
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
    unknownChips_->setGeometry(screenW_ - 470, 600 * screenH_ / 900 - 262, 450, 260);
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

QAction* MainWindow::Command(int id) const {
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
    in.screen = {screenW_, screenH_};
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
    for (const IdEnabled& c : e.panel.commands) {
        if (QAction* a = Command(c.id)) a->setEnabled(c.enabled);
    }
    for (const IdEnabled& c : e.panel.controls) {
        if (QWidget* w = PanelControl(c.id)) w->setEnabled(c.enabled);
    }
    for (int k = 0; k < kCarSlots; ++k) {
        PanelControl(kFirstCarButton + k)->setEnabled(e.panel.carButtons[std::size_t(k)]);
    }
    tree_->setEnabled(e.panel.eventTree);
    static_cast<QPushButton*>(PanelControl(kScanButton))->setChecked(e.panel.scanChecked);
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
    if (live_) {
        live_->Remeasure(0);
        live_->update();
    }
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

void MainWindow::RebuildTree() {
    fillingTree_ = true;
    tree_->clear();
    AddNodes(BuildEventTree(state_.event), nullptr);
    fillingTree_ = false;
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
    live_->Remeasure(state_.engine.tables.carsInUse);
    ApplyPanel(true);
    live_->update();
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
    switch (KindOf(code)) {
        case NodeKind::Heat:
        case NodeKind::FinalsRun:
            LoadRunOf(current);
            break;
        case NodeKind::Driver:
            RunCommand(kDriverDetailsCommand);
            break;
        case NodeKind::RoundClassification:
            RunCommand(kRoundClassificationCommand);
            break;
        case NodeKind::Overall:
            RunCommand(kOverallClassificationCommand);
            break;
        default:
            break;
    }
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
        QAction* a = menu.addAction(ToQString(e.label));
        a->setObjectName(QString::number(e.id));
        connect(a, &QAction::triggered, this, [this, id = e.id] { RunCommand(id); });
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
    c.Add(kNewEventCommand, [this] { NewEvent(); });
    c.Add(kLoadEventCommand, [this] { LoadEvent(); });
    c.Add(kSaveCommand, [this] {
        if (!state_.eventPath.empty()) Save();
    });
    c.Add(kSaveAsCommand, [this] { SaveAs(); });
    c.Add(kQuitCommand, [this] { close(); });
    c.Add(kHelpCommand, [this] {
        if (platform_.openDocument) {
            platform_.openDocument(state_.programFolder + "/" + std::string(kHelpFile));
        }
    });
    c.Add(kNewCategoryCommand, [this] { NewCategory(); });
    c.Add(kRenameCategoryCommand, [this] {
        if (QTreeWidgetItem* item = tree_->currentItem()) tree_->editItem(item, 0);
    });
    c.Add(kStartButton, [this] {
        // Pressed by the director: a start that cannot be says why, once, in a box.
        std::string_view refusal = StartRefusal(state_.engine);
        if (!refusal.empty()) {
            platform_.messages.Show(kStartRefusedTitle, refusal, MessageButtons::Ok,
                                    MessageIcon::Information);
        }
        StartCommand(state_.engine);
    });
    c.Add(kStopButton, [this] { StopCommand(state_.engine); });
    c.Add(kClearButton, [this] {
        ClearCommand(state_.engine);
        StopEditing(editing_);
        RemoveEditControls();
    });
    c.Add(kModifyRunResultsCommand, [this] {
        StartResultEditing(editing_);
        RemoveEditControls();
    });
    c.Add(kResultsButton, [this] { ShowRunPopup(); });
    c.Add(kNoticesButton, [this] {
        NoticeLogForm(state_.engine.notices, platform_.clock, platform_.messages, this).Run();
    });
    c.Add(kScanButton, [this] {
        ScanToggle(state_.engine,
                   static_cast<QPushButton*>(PanelControl(kScanButton))->isChecked());
    });
    for (int id : {kPersonalChipsRadio, kClubChipsRadio, kMixedScanRadio}) {
        c.Add(id, [this, id] { ShowTransponderMode(id); });
    }
    for (int k = 0; k < kCarSlots; ++k) {
        c.Add(kFirstCarButton + k, [this, k] { CarButton(state_.engine, k); });
    }
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
    QWidget* sound = PanelControl(kSoundOffText);
    liveAddress_ =
        Name(new LiveAddressLabel(sound->parentWidget()), kLiveAddressPanelText, "Live page");
    QRect r = sound->geometry();
    liveAddress_->setGeometry(r.translated(0, r.height() + 2));
    liveAddress_->setFont(sound->font());
    liveAddress_->show();
    RegisterLiveForms(commands_, host_, *liveServer_, *liveAddress_);
    ApplyLiveSettings(*liveServer_, ReadLiveSettings(*platform_.disk), *liveAddress_);
}

void MainWindow::RunCommand(int id) {
    commands_.Run(id);  // commands of parts not built yet do nothing
    AfterRunChange();
    emit CommandTriggered(id);
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
    AddNodes(BuildCategorySubtree(state_.event, h.categoryCount), nullptr);
    fillingTree_ = false;
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

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Rect r = EventTreeRect(live_->height());
    tree_->setGeometry(r.left, r.top, r.Width(), r.Height());
}

// The results button's pop-up, at the mouse.
void MainWindow::ShowRunPopup() {
    QMenu menu(this);
    menu.setObjectName("runPopup");
    const PopupEntry entries[] = {{kModifyRunResultsCommand, "Modify run results"},
                                  {kRunDetailsCommand, "Run detailed results"},
                                  {kAddCommentCommand, "Add a comment"}};
    for (const PopupEntry& e : entries) {
        QAction* a = menu.addAction(ToQString(e.label));
        a->setObjectName(QString::number(e.id));
        a->setEnabled(IsEnabled(state_.engine.panel, e.id));
        connect(a, &QAction::triggered, this, [this, id = e.id] { RunCommand(id); });
    }
    menu.exec(QCursor::pos());
}

// Club chips choose from a transponder set; the mixed mode learns them with the scan.
void MainWindow::ShowTransponderMode(int radio) {
    state_.transponderMode = radio;
    TransponderModeChosen(editing_, radio);
    RemoveEditControls();
    PanelControl(kTransponderSetList)->setVisible(radio == kClubChipsRadio);
    PanelControl(kScanButton)->setVisible(radio == kMixedScanRadio);
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
    TableLayout layout =
        ComputeLayout({screenW_, screenH_}, state_.widths, live_->Measure().rowHeight);
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
    TableLayout layout =
        ComputeLayout({screenW_, screenH_}, state_.widths, live_->Measure().rowHeight);
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
    RunCommand(kDriverAnalysisCommand);
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
}

}  // namespace velkaro
