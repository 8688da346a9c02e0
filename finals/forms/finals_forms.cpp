#include "finals/forms/finals_forms.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <memory>

#include "event/event_file.h"
#include "event/event_tree.h"
#include "finals/lanes.h"
#include "forms_kit/form_host.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

namespace {

constexpr int kFontPx = 14;

struct FieldPlace {
    LadderField field;
    int id;  // the arrangement form's
    int digits;
    const char* label;
    int x, y, w;
};

// Rows: the Final, then the 1/2, 1/4, 1/8 and 1/16-to-1/2048 runs; columns: duration, delay,
// drivers going up from each run, drivers qualified directly.
constexpr int kRowY[5] = {88, 106, 124, 142, 160};
constexpr int kDurationX = 92, kDelayX = 140, kGoUpX = 186, kDirectX = 312;
constexpr std::array<FieldPlace, kLadderFieldCount> kFields{{
    {LadderField::Participants, 5002, 3, "Participants : the best", 112, 30, 26},
    {LadderField::PerRun, 5003, 2, "Drivers per run :", 112, 48, 26},
    {LadderField::DurationFinal, 5004, 3, "Duration of the Final", kDurationX, kRowY[0], 24},
    {LadderField::DurationHalf, 5006, 3, "Duration of a 1/2 final", kDurationX, kRowY[1], 24},
    {LadderField::DurationQuarter, 5010, 3, "Duration of a 1/4 final", kDurationX, kRowY[2], 24},
    {LadderField::DurationEighth, 5014, 3, "Duration of a 1/8 final", kDurationX, kRowY[3], 24},
    {LadderField::DurationLower, 5018, 3, "Duration of a 1/16 to 1/2048 final", kDurationX,
     kRowY[4], 24},
    {LadderField::DelayHalf, 5007, 2, "Delay between two 1/2 finals", kDelayX, kRowY[1], 20},
    {LadderField::DelayQuarter, 5011, 2, "Delay between two 1/4 finals", kDelayX, kRowY[2], 20},
    {LadderField::DelayEighth, 5015, 2, "Delay between two 1/8 finals", kDelayX, kRowY[3], 20},
    {LadderField::DelayLower, 5019, 2, "Delay between two 1/16 to 1/2048 finals", kDelayX, kRowY[4],
     20},
    {LadderField::GoUpFinal, 5008, 2, "drivers/run go to the Final", kGoUpX, kRowY[1], 20},
    {LadderField::GoUpHalf, 5012, 2, "drivers/run go to 1/2 fin.", kGoUpX, kRowY[2], 20},
    {LadderField::GoUpQuarter, 5016, 2, "drivers/run go to 1/4 fin.", kGoUpX, kRowY[3], 20},
    {LadderField::GoUpLower, 5020, 2, "drivers/run go to 1/8th fin.", kGoUpX, kRowY[4], 20},
}};
constexpr std::array<int, 5> kDirectIds{5005, 5009, 5013, 5017, 5021};
constexpr std::array<const char*, 5> kRowNames{"Final", "1/2 final", "1/4 final", "1/8th final",
                                               "1/16 to 1/2048"};

int Caption(int k) {
    return kFinalsCaptionBase + k;
}
// The go-up labels, one per row: clear of 50 to 52, the totals' labels below the table.
constexpr int kGoUpCaptions = 64;

QLabel* Label(QWidget* form, int id, const QString& text, QRect where, bool bold = false) {
    auto* label = Place(new QLabel(text, form), id, text, where);
    label->setFont(ProgramFont(kFontPx, bold));
    return label;
}

// A category's name is drawn whole: a smaller face of the font when the longest names would not
// fit at the form's size.
void FitName(QLabel* label) {
    QFont font = label->font();
    int room = label->contentsRect().width() - 2 * label->margin();
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(label->text()) > room) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    label->setFont(font);
}

// A read-only value in a sunken box.
QLabel* Value(QWidget* form, int id, const QString& label, QRect where) {
    auto* value = Place(new QLabel(form), id, label, where);
    value->setFont(ProgramFont(kFontPx));
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return value;
}

QLineEdit* Number(QWidget* form, int id, const QString& label, QRect where, int digits) {
    auto* edit = Place(new QLineEdit(form), id, label, where);
    edit->setFont(ProgramFont(kFontPx));
    edit->setMaxLength(digits);
    int top = 1;
    for (int d = 0; d < digits; ++d) top *= 10;
    edit->setValidator(new QIntValidator(0, top - 1, edit));
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

// Writes back the value a field keeps when it is not what the field shows.
void ShowKept(QLineEdit* edit, int kept) {
    if (edit->text().isEmpty() && kept == 0) return;
    if (edit->text().toInt() != kept || edit->text() != QString::number(kept)) {
        edit->setText(QString::number(kept));
    }
}

QPushButton* Button(QWidget* form, int id, const QString& text, QRect where) {
    auto* b = Place(new QPushButton(text, form), id, text, where);
    b->setFont(ProgramFont(kFontPx));
    b->setAutoDefault(false);
    return b;
}

int CategoryOf(const EventHeader& header) {
    int c = header.selectedNode / 10000;
    return std::clamp(c, 1, std::max(1, std::min(header.categoryCount, kCategories)));
}

}  // namespace

// ---------------------------------------------------------------------------------------------

LadderForm::LadderForm(const char* objectName, const QString& title, int idOffset,
                       Messages& messages, QWidget* parent)
    : ModalForm(objectName, title, QSize(350, 250), messages, parent), idOffset_(idOffset) {
    Label(this, Caption(1), "Run duration", Dlu(kDurationX, 72, 48, 12));
    Label(this, Caption(2), "Delay", Dlu(kDelayX, 72, 40, 12));
    Label(this, Caption(3), "Going up to the next level", Dlu(kGoUpX, 72, 120, 12));
    Label(this, Caption(4), "Direct", Dlu(kDirectX - 2, 72, 34, 12));
    for (int r = 0; r < 5; ++r) {
        Label(this, Caption(10 + r), kRowNames[std::size_t(r)], Dlu(10, kRowY[r] + 2, 78, 12));
        Label(this, Caption(20 + r), "min", Dlu(kDurationX + 26, kRowY[r] + 2, 14, 12));
        if (r > 0) Label(this, Caption(30 + r), "min", Dlu(kDelayX + 22, kRowY[r] + 2, 14, 12));
    }
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const FieldPlace& f = kFields[i];
        edits_[i] = Number(this, f.id + idOffset, f.label, Dlu(f.x, f.y, f.w, 14), f.digits);
        connect(edits_[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { Typed(int(i), text); });
        if (f.field >= LadderField::GoUpFinal) {
            Label(this, Caption(kGoUpCaptions + int(f.field) - int(LadderField::GoUpFinal)),
                  f.label, Dlu(f.x + 23, f.y + 2, 100, 12));
        } else if (f.field <= LadderField::PerRun) {
            Label(this, Caption(5 + int(i)), f.label, Dlu(10, f.y + 2, 100, 12));
        }
    }
    for (std::size_t k = 0; k < 5; ++k) {
        direct_[k] = Value(this, kDirectIds[k] + idOffset, "Directly qualified",
                           Dlu(kDirectX, kRowY[k], 26, 14));
    }
    Label(this, Caption(50), "The finals begin in", Dlu(10, 184, 100, 12));
    begins_ = Value(this, 5022 + idOffset, "The finals begin in", Dlu(112, 182, 96, 14));
    Label(this, Caption(51), "Overall number of runs :", Dlu(10, 202, 100, 12));
    runs_ = Value(this, 5023 + idOffset, "Overall number of runs :", Dlu(112, 200, 40, 14));
    Label(this, Caption(52), "Overall duration :", Dlu(10, 220, 100, 12));
    duration_ = Value(this, 5024 + idOffset, "Overall duration :", Dlu(112, 218, 60, 14));
}

void LadderForm::ShowLadder(const FinalsLadder& ladder, int participantsLimit, bool clampAtZero) {
    ladder_ = ladder;
    participantsLimit_ = participantsLimit;
    clampAtZero_ = clampAtZero;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        edits_[i]->setText(QString::number(LadderFieldValue(ladder_, kFields[i].field)));
    }
    Refresh();
}

void LadderForm::LockStructure() {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        LadderField f = kFields[i].field;
        if (f == LadderField::Participants || f == LadderField::PerRun ||
            f >= LadderField::GoUpFinal) {
            edits_[i]->setEnabled(false);
        }
    }
}

void LadderForm::Typed(int i, const QString& text) {
    const FieldPlace& f = kFields[std::size_t(i)];
    int kept = SetLadderField(ladder_, f.field, text.toInt(), participantsLimit_, clampAtZero_);
    ShowKept(edits_[std::size_t(i)], kept);
    // A new number of drivers per run may have lowered the go-up counts.
    for (std::size_t k = 0; k < kFields.size(); ++k) {
        if (int(k) != i) ShowKept(edits_[k], LadderFieldValue(ladder_, kFields[k].field));
    }
    Refresh();
}

void LadderForm::Refresh() {
    for (std::size_t k = 0; k < 5; ++k) direct_[k]->setText(QString::number(ladder_.direct[k]));
    FinalsStart start = ComputeFinalsStart(ladder_);
    begins_->setText(ToQString(FinalsBeginText(start.level).View()));
    runs_->setText(QString::number(RunsOfLevel(start.level)));
    duration_->setText(ToQString(DurationText(start.minutes).View()));
    Refreshed();
}

// ---------------------------------------------------------------------------------------------

FinalsArrangementForm::FinalsArrangementForm(int category, EventHeader& header, Messages& messages,
                                             Disk& disk, QWidget* parent)
    : LadderForm("CATEGORIEREMONTEESREPARTITION", "Arrangement of the finals", 0, messages, parent),
      category_(category),
      header_(header),
      disk_(disk) {
    EventHeader read;
    if (ReadEventHeader(read, disk_) == FileOutcome::Done) {
        header_ = read;
    } else {
        messages_.Error(kRaceFileNotFound);
    }
    const CategoryRecord& cat = header_.categories[std::size_t(category_ - 1)];
    FitName(Label(this, 5001, ToQString(cat.name.View()), Dlu(10, 8, 330, 14), true));
    FinalsLadder ladder = DefaultFinalsLadder(cat.participants);
    if (ReadFinalsLadder(category_, ladder, disk_) == FileOutcome::Unavailable) {
        messages_.Error(kRaceFileNotFound);
    }
    generate_ = Button(this, 1, "Generate", Dlu(262, 196, 78, 18));
    auto* escape = Button(this, 2, "Cancel", Dlu(262, 222, 78, 18));
    ShowLadder(ladder, cat.participants, false);
    if (LadderStructureLocked(cat.finalsState)) LockStructure();
    // The runs to come whose drivers share a frequency, below the ladder.
    setFixedSize(Dlu(0, 0, 350, 266).size());
    auto* conflicts =
        Label(this, kFinalsArrangementConflicts, "Radio conflicts", Dlu(10, 246, 330, 14));
    auto participants = std::make_unique<Participants>();
    std::vector<std::string> lines;
    if (ReadParticipants(category_, *participants, disk_) == FileOutcome::Done) {
        lines = FinalsConflictLines(category_, cat, *participants, disk_);
    }
    ShowRadioConflicts(*conflicts, lines);
    connect(generate_, &QPushButton::clicked, this, &FinalsArrangementForm::Confirm);
    connect(escape, &QPushButton::clicked, this, &QDialog::reject);
}

void FinalsArrangementForm::Refreshed() {
    if (generate_ != nullptr) generate_->setEnabled(GenerateAllowed(ladder_));
}

bool FinalsArrangementForm::Write() {
    if (!GenerateAllowed(ladder_)) return false;
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    EventHeader header = header_;
    header.categories[std::size_t(category_ - 1)].finalsRuns =
        RunsOfLevel(ComputeFinalsStart(ladder_).level);
    FileOutcome written = SaveFinalsArrangement(category_, header, ladder_, watch, disk_);
    if (written == FileOutcome::Done) header_ = header;
    if (written == FileOutcome::Unavailable) watch.Error(kRaceFileNotFound);
    return !watch.Failed();
}

// ---------------------------------------------------------------------------------------------

SwapLanesForm::SwapLanesForm(int category, int level, char letter, const EventHeader& header,
                             const RunEngine& panel, Messages& messages, Disk& disk,
                             QWidget* parent)
    : ModalForm("PERMUTERCOULOIRS", "Swap lanes", QSize(300, 150), messages, parent),
      category_(category),
      level_(level),
      letter_(level == 0 ? 'A' : letter),
      panel_(panel),
      disk_(disk),
      participants_(std::make_unique<Participants>()) {
    const CategoryRecord& cat = header.categories[std::size_t(category_ - 1)];
    places_ = PlaceStoredLevel(category_, cat, level_, 0, disk_);
    ReadParticipants(category_, *participants_, disk_);
    const std::string run = FinalsRunName(level_, letter_);
    FitName(Label(this, kSwapRunCaption, ToQString(std::string(cat.name.View()) + " - " + run),
                  Dlu(10, 8, 280, 14), true));
    Label(this, Caption(95), "Lane", Dlu(10, 32, 60, 12));
    first_ = Place(new QComboBox(this), kSwapFirstLane, "Lane", Dlu(75, 30, 215, 14));
    Label(this, Caption(96), "with", Dlu(10, 52, 60, 12));
    second_ = Place(new QComboBox(this), kSwapSecondLane, "with", Dlu(75, 50, 215, 14));
    conflicts_ =
        Label(this, kSwapConflicts, "Radio conflicts after the swap", Dlu(10, 74, 280, 40));
    conflicts_->setWordWrap(true);
    for (QComboBox* box : {first_, second_}) box->setFont(ProgramFont(kFontPx));

    // The run's own lanes first; the lanes of the run beside it while that one has not run.
    std::vector<char> runs{letter_};
    const char other = letter_ == 'A' ? 'B' : 'A';
    if (level_ > 0 && LanesLockedReason(&panel_, category_, level_, other, disk_).empty()) {
        runs.push_back(other);
    }
    for (char r : runs) {
        const RadioGrid grid = RadioGridOf(
            NamesOnLanes(places_.lanes, level_, r, places_.a, places_.b), *participants_);
        for (int lane = 1; lane <= kCarSlots; ++lane) {
            const RadioLane& l = grid[std::size_t(lane - 1)];
            std::string text = std::string(FinalsLevelText(level_, r).View()) + " lane " +
                               std::to_string(lane) + ": ";
            text += l.name == kEmptySlotName ? std::string("free") : std::string(l.name.View());
            if (!l.frequency.Empty()) text += " (" + std::string(l.frequency.View()) + ")";
            const int data = LaneIndex(r, lane);
            if (r == letter_) first_->addItem(ToQString(text), data);
            second_->addItem(ToQString(text), data);
        }
    }
    second_->setCurrentIndex(1);
    swap_ = Button(this, 1, "Swap", Dlu(150, 124, 65, 18));
    auto* cancel = Button(this, 2, "Cancel", Dlu(225, 124, 65, 18));
    connect(first_, &QComboBox::currentIndexChanged, this, &SwapLanesForm::ShowOutcome);
    connect(second_, &QComboBox::currentIndexChanged, this, &SwapLanesForm::ShowOutcome);
    connect(swap_, &QPushButton::clicked, this, &SwapLanesForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowOutcome();
}

std::pair<char, int> SwapLanesForm::Chosen(const QComboBox& box) const {
    const int index = box.currentData().toInt();
    return {index >= kCarSlots ? 'B' : 'A', index % kCarSlots + 1};
}

void SwapLanesForm::ShowOutcome() {
    const auto [letterA, laneA] = Chosen(*first_);
    const auto [letterB, laneB] = Chosen(*second_);
    LevelLanes lanes = places_.lanes;
    const bool swapped = SwapLanes(lanes, level_, letterA, laneA, letterB, laneB);
    swap_->setEnabled(swapped);
    std::vector<std::string> lines;
    for (char r : {'A', 'B'}) {
        if (level_ == 0 && r == 'B') continue;
        const RadioGrid grid =
            RadioGridOf(NamesOnLanes(lanes, level_, r, places_.a, places_.b), *participants_);
        for (std::string& line :
             ConflictLines(grid, FindRadioConflicts(grid), FinalsLevelText(level_, r).View())) {
            lines.push_back(std::move(line));
        }
    }
    ShowRadioConflicts(*conflicts_, lines);
    if (lines.empty()) {
        conflicts_->setPalette(palette());
        conflicts_->setText("No radio conflict after the swap");
    }
}

bool SwapLanesForm::Write() {
    const auto [letterA, laneA] = Chosen(*first_);
    const auto [letterB, laneB] = Chosen(*second_);
    for (char r : {letterA, letterB}) {
        const std::string why = LanesLockedReason(&panel_, category_, level_, r, disk_);
        if (!why.empty()) {
            messages_.Show(kSwapLanesTitle, why, MessageButtons::Ok, MessageIcon::Information);
            return false;
        }
    }
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    const LaneSwap done =
        SwapFinalsLanes(panel_, category_, level_, letterA, laneA, letterB, laneB, watch, disk_);
    if (done == LaneSwap::Unwritten && !watch.Failed()) watch.Error(kRaceFileNotFound);
    return done == LaneSwap::Swapped;
}

// ---------------------------------------------------------------------------------------------

FinalsOptionsForm::FinalsOptionsForm(int category, const EventHeader& header, Messages& messages,
                                     Disk& disk, QWidget* parent)
    : ModalForm("CATEGORIEREMONTEESPARAMETRES", "Options of finals", QSize(330, 200), messages,
                parent),
      category_(category),
      disk_(disk) {
    const CategoryRecord& cat = header.categories[std::size_t(category - 1)];
    FitName(Label(this, 4901, ToQString(cat.name.View()), Dlu(10, 8, 310, 14), true));
    Label(this, Caption(60), "Start :", Dlu(10, 28, 100, 12), true);
    const char* texts[5] = {
        "groupstart at the sound signal", "staggered start", "when the first car crosses the line",
        "Overall end occurs at the sound signal", "All drivers must finish their current lap"};
    auto* starts = new QButtonGroup(this);
    auto* ends = new QButtonGroup(this);
    for (int k = 0; k < 5; ++k) {
        int y = k < 3 ? 42 + 14 * k : 98 + 14 * (k - 3);
        choices_[std::size_t(k)] =
            Place(new QRadioButton(texts[k], this), 4903 + k, texts[k], Dlu(20, y, 200, 12));
        choices_[std::size_t(k)]->setFont(ProgramFont(kFontPx));
        (k < 3 ? starts : ends)->addButton(choices_[std::size_t(k)]);
    }
    Label(this, Caption(61), "End :", Dlu(10, 86, 100, 12), true);
    Label(this, Caption(62), "Countdown", Dlu(10, 134, 60, 12));
    countdown_ = Number(this, 4902, "Countdown", Dlu(72, 132, 30, 14), 4);
    Label(this, Caption(63), "s", Dlu(105, 134, 10, 12));
    auto* validate = Button(this, 1, "Validate", Dlu(90, 172, 60, 18));
    auto* cancel = Button(this, 2, "Cancel", Dlu(180, 172, 60, 18));

    if (ReadFinalsOptions(category_, options_, disk_) == FileOutcome::Unavailable) {
        messages_.Error(kRaceFileNotFound);
    }
    countdown_->setText(QString::number(options_.countdownSeconds));
    Show();
    const StartMode startModes[3] = {StartMode::AtSignal, StartMode::Staggered,
                                     StartMode::FirstCar};
    for (int k = 0; k < 3; ++k) {
        connect(choices_[std::size_t(k)], &QRadioButton::clicked, this, [this, startModes, k] {
            ChooseFinalsStart(options_, startModes[k]);
            Show();
        });
    }
    connect(choices_[3], &QRadioButton::clicked, this,
            [this] { options_.endAtTime = TimeEnd::AtSignal; });
    connect(choices_[4], &QRadioButton::clicked, this,
            [this] { options_.endAtTime = TimeEnd::FinishLap; });
    connect(countdown_, &QLineEdit::textEdited, this, [this](const QString& text) {
        options_.countdownSeconds = ClampCountdown(text.toInt());
        ShowKept(countdown_, options_.countdownSeconds);
    });
    connect(validate, &QPushButton::clicked, this, &FinalsOptionsForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FinalsOptionsForm::Show() {
    for (int k = 0; k < 3; ++k) {
        choices_[std::size_t(k)]->setChecked(options_.start == static_cast<StartMode>(k));
    }
    choices_[3]->setChecked(options_.endAtTime == TimeEnd::AtSignal);
    choices_[4]->setChecked(options_.endAtTime == TimeEnd::FinishLap);
    choices_[3]->setEnabled(SignalEndAllowed(options_));
}

bool FinalsOptionsForm::Write() {
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    ReportUnavailable(WriteFinalsOptions(category_, options_, watch, disk_), watch);
    return !watch.Failed();
}

// ---------------------------------------------------------------------------------------------

ClosureReportForm::ClosureReportForm(int category, const TrackRecord& track, Dialogs& dialogs,
                                     Clock& clock, Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("RAPPORTCLOTURE", "Closure report", QSize(430, 350), messages, parent),
      table_(std::make_unique<ClosureTable>()),
      texts_(std::make_unique<ClosureTexts>()),
      dialogs_(dialogs),
      clock_(clock) {
    EventHeader header;
    if (ReadEventHeader(header, disk) != FileOutcome::Done) {
        messages_.Error(kRaceFileNotFound);
    } else {
        auto input = std::make_unique<ClosureInput>();
        if (ReadClosureInput(category, header, *input, messages_, disk)) {
            BuildClosureTable(*input, *table_);
            FillClosureTexts(*table_, *texts_);
        }
        category_ = header.categories[std::size_t(category - 1)].name;
    }
    event_ = track.eventName;
    circuit_ = track.circuit;

    scroll_ = Place(new QScrollBar(Qt::Vertical, this), 5102, "Rows",
                    QRect(720, 170, 18, 20 * kClosureScreenRows));
    scroll_->setRange(0, ClosureScrollRange(table_->count));
    ScrollWithWheelAndKeys(*this, *scroll_, kClosureScreenRows);
    scroll_->setVisible(ClosureScrollShown(table_->count));
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        first_ = value;
        update();
    });
    auto* print = Place(new QPushButton(this), 5101, "Print", QRect(20, 20, 48, 48));
    print->setIcon(QIcon(QString::fromStdString(FileSystemName("images/impression.bmp"))));
    print->setIconSize(QSize(40, 40));
    print->setAutoDefault(false);
    auto* ok = Button(this, 2, "OK", QRect(340, 580, 90, 28));
    connect(print, &QPushButton::clicked, this, [this] { Print(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

PrintOutcome ClosureReportForm::Print() {
    return PrintClosureReport(dialogs_, messages_, clock_, *table_, *texts_, category_.View(),
                              event_.View(), circuit_.View());
}

void ClosureReportForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    QtCanvas canvas(painter);
    DrawClosureScreen(canvas, {event_.View(), circuit_.View(), category_.View(), table_.get(),
                               texts_.get(), first_});
}

// ---------------------------------------------------------------------------------------------

QualifPlanningForm::QualifPlanningForm(PlanningMemory& memory, Messages& messages, QWidget* parent)
    : ModalForm("PLANNINGQUALIFS", "Planning of qualification", QSize(330, 250), messages, parent),
      memory_(memory) {
    QualifPlanning& q = memory_.qualification;
    Label(this, Caption(70), "Qualification duration calculator :", Dlu(10, 8, 310, 14), true);
    Label(this, Caption(71), "Category :", Dlu(10, 30, 90, 12));
    auto* name = Place(new QLineEdit(this), 3501, "Category :", Dlu(102, 28, 218, 14));
    name->setFont(ProgramFont(kFontPx));
    name->setMaxLength(53);
    name->setText(ToQString(q.category.View()));
    struct Row {
        PlanningField field;
        int id, digits;
        const char* label;
        const char* unit;
        std::int32_t* value;
    };
    const Row rows[5] = {
        {PlanningField::Participants, 3502, 3, "Participants :", "", &q.participants},
        {PlanningField::PerHeat, 3503, 2, "Drivers per heat :", "", &q.perHeat},
        {PlanningField::Rounds, 3504, 1, "Number of rounds :", "", &q.rounds},
        {PlanningField::RunMinutes, 3505, 3, "Run duration :", "min", &q.runMinutes},
        {PlanningField::DelayMinutes, 3506, 2, "+ Delay between 2 runs :", "min", &q.delayMinutes},
    };
    for (int k = 0; k < 5; ++k) {
        const Row& r = rows[k];
        int y = 48 + 18 * k;
        Label(this, Caption(72 + k), r.label, Dlu(10, y + 2, 90, 12));
        QLineEdit* edit = Number(this, r.id, r.label, Dlu(102, y, 30, 14), r.digits);
        edit->setText(QString::number(*r.value));
        if (r.unit[0] != 0) Label(this, Caption(77 + k), r.unit, Dlu(135, y + 2, 20, 12));
        PlanningField field = r.field;
        connect(edit, &QLineEdit::textEdited, this, [this, edit, field](const QString& text) {
            ShowKept(edit, SetPlanningField(memory_.qualification, field, text.toInt()));
            Refresh();
        });
    }
    Label(this, Caption(82), " Category :", Dlu(10, 146, 90, 12));
    category_ = Value(this, 3507, " Category :", Dlu(10, 160, 310, 14));
    category_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label(this, Caption(83), "Overall number of runs :", Dlu(10, 184, 90, 12));
    runs_ = Value(this, 3508, "Overall number of runs :", Dlu(102, 182, 40, 14));
    Label(this, Caption(84), "Overall duration :", Dlu(10, 202, 90, 12));
    duration_ = Value(this, 3509, "Overall duration :", Dlu(102, 200, 60, 14));
    auto* ok = Button(this, 1, "Ok", Dlu(135, 226, 60, 18));
    connect(name, &QLineEdit::textEdited, this, [this](const QString& text) {
        memory_.qualification.category = FromQString(text);
        Refresh();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    Refresh();
}

void QualifPlanningForm::Refresh() {
    PlanningResult r = PlanQualification(memory_.qualification);
    category_->setText(ToQString(memory_.qualification.category.View()));
    category_->setFont(ProgramFont(kFontPx));
    FitName(category_);
    runs_->setText(QString::number(r.runs));
    duration_->setText(ToQString(DurationText(r.minutes).View()));
}

FinalsPlanningForm::FinalsPlanningForm(PlanningMemory& memory, Messages& messages, QWidget* parent)
    : LadderForm("PLANNINGREMONTEES", "Planning of finals", kPlanningFinalsControlOffset, messages,
                 parent),
      memory_(memory) {
    Label(this, Caption(90), "Finals duration calculator :", Dlu(10, 8, 180, 14), true);
    auto* name = Place(new QLineEdit(this), 5001 + kPlanningFinalsControlOffset,
                       "Category :", Dlu(190, 6, 150, 14));
    name->setFont(ProgramFont(kFontPx));
    name->setMaxLength(53);
    name->setText(ToQString(memory_.finals.category.View()));
    connect(name, &QLineEdit::textEdited, this,
            [this](const QString& text) { memory_.finals.category = FromQString(text); });
    auto* ok = Button(this, 1, "Ok", Dlu(262, 222, 78, 18));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ShowLadder(memory_.finals.ladder, kPlanningParticipantsLimit, true);
}

void FinalsPlanningForm::Refreshed() {
    memory_.finals.ladder = ladder_;
}

// ---------------------------------------------------------------------------------------------

void RegisterFinalsForms(CommandRegistry& commands, const FormHost& host,
                         FinalsFormsContext context) {
    commands.Add({.id = CommandId::FinalsParameters,
                  .label = "Finals runs Parameters",
                  .run =
                      [&host, context] {
                          FinalsOptionsForm form(CategoryOf(context.header), context.header,
                                                 host.platform.messages, *host.platform.disk,
                                                 host.window);
                          form.Run();
                      },
                  .enabled = WhenTheTreeOffers(context.header, CommandId::FinalsParameters)});
    commands.Add({.id = CommandId::FinalsArrangement,
                  .label = "Finals runs Arrangement",
                  .run =
                      [&host, context] {
                          FinalsArrangementForm form(CategoryOf(context.header), context.header,
                                                     host.platform.messages, *host.platform.disk,
                                                     host.window);
                          if (form.Run() == QDialog::Accepted && host.eventChanged)
                              host.eventChanged();
                      },
                  .enabled = WhenTheTreeOffers(context.header, CommandId::FinalsArrangement)});
    commands.Add({.id = CommandId::ClosureReport,
                  .label = "Show the report",
                  .run =
                      [&host, context] {
                          ClosureReportForm form(CategoryOf(context.header), context.track,
                                                 host.platform.dialogs, host.platform.clock,
                                                 host.platform.messages, *host.platform.disk,
                                                 host.window);
                          form.Run();
                      },
                  .enabled = WhenTheTreeOffers(context.header, CommandId::ClosureReport)});
    commands.Add({.id = CommandId::SwapLanes,
                  .label = "Swap lanes",
                  .run =
                      [&host, context] {
                          int c = 0, level = 0;
                          char letter = 'A';
                          if (!FinalsRunOfNode(context.header.selectedNode, c, level, letter))
                              return;
                          Messages& messages = host.platform.messages;
                          const std::string why = LanesLockedReason(&context.panel, c, level,
                                                                    letter, *host.platform.disk);
                          if (!why.empty()) {
                              messages.Show(kSwapLanesTitle, why, MessageButtons::Ok,
                                            MessageIcon::Information);
                              return;
                          }
                          SwapLanesForm form(c, level, letter, context.header, context.panel,
                                             messages, *host.platform.disk, host.window);
                          if (form.Run() == QDialog::Accepted && context.reloadRun)
                              context.reloadRun();
                      },
                  .enabled = WhenTheTreeOffers(context.header, CommandId::SwapLanes)});
    // The calculators keep their values for the program's life, never in a file.
    auto memory = std::make_shared<PlanningMemory>();
    commands.Add({.id = CommandId::PlanningQualification,
                  .label = "Planning qualification",
                  .icon = "images/menu1011.bmp",
                  .run = [&host, memory] {
                      QualifPlanningForm form(*memory, host.platform.messages, host.window);
                      form.Run();
                  }});
    commands.Add(
        {.id = CommandId::PlanningFinals, .label = "Planning finals", .run = [&host, memory] {
             FinalsPlanningForm form(*memory, host.platform.messages, host.window);
             form.Run();
         }});
}

}  // namespace velkaro
