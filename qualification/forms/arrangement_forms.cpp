#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "common/commands.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"
#include "qualification/forms/form_parts.h"
#include "qualification/forms/preparation_forms.h"

namespace velkaro {

namespace {

// The table is painted in client pixels: the arrows' hit areas are given in them.
constexpr QRect kScrollBarArea(704, 150, 16, 440);

}  // namespace

// ---------------------------------------------------------------------------------------------
// Arrangement of qualifying heats.

ArrangementForm::ArrangementForm(int category, Messages& messages, Dialogs& dialogs, Clock& clock,
                                 SoundPlayer& sounds, Disk& disk, QWidget* parent)
    : ModalForm("REPARTITIONQUALIFS", "Arrangement of qualifying heats", QSize(430, 370), messages,
                parent),
      dialogs_(dialogs),
      clock_(clock),
      sounds_(sounds),
      disk_(disk),
      work_(std::make_unique<Arrangement>()) {
    const int L = kArrangementFormLabels;
    FormLabel(this, L + 1, "Category :", Dlu(28, 10, 50, 12));
    auto* name =
        Place(new QLineEdit(this), kArrangementCategory, "Category :", Dlu(80, 8, 200, 14));
    name->setReadOnly(true);
    name->setFont(ProgramFont(15));
    FormLabel(this, L + 2, "Drivers per heat", Dlu(28, 32, 110, 12));
    QLineEdit* perHeat =
        FormEdit(this, kDriversPerHeatEdit, "Drivers per heat", Dlu(140, 30, 25, 14), 2, true);
    FormLabel(this, L + 3, "Number of rounds", Dlu(180, 32, 75, 12));
    QLineEdit* rounds =
        FormEdit(this, kRoundsEdit, "Number of rounds", Dlu(258, 30, 20, 14), 1, true);
    QPushButton* print = PrintButton(this, kPrintArrangementButton, Dlu(340, 10, 40, 40), 8);
    scrollBar_ =
        Place(new QScrollBar(Qt::Vertical, this), kArrangementScroll, "Heats", kScrollBarArea);
    scrollBar_->setTracking(false);
    ScrollWithWheelAndKeys(*this, *scrollBar_, kVisibleRows);
    conflicts_ = FormLabel(this, kArrangementConflicts, "Radio conflicts", Dlu(10, 348, 245, 16));
    QPushButton* generate = FormButton(this, kConfirmButton, "Generate", Dlu(260, 348, 70, 16));
    QPushButton* cancel = FormButton(this, kCancelButton, "Cancel", Dlu(340, 348, 70, 16));

    OpenArrangement(category, *work_, messages_, disk_);
    name->setText(ToQString(work_->categoryName.View()));
    perHeat->setText(QString::number(work_->driversPerHeat));
    rounds->setText(QString::number(work_->rounds));
    ResetScroll(true);
    ShowConflicts();
    generate->setEnabled(!work_->locked);
    if (work_->qualificationStarted == 1) {
        perHeat->setEnabled(false);
        rounds->setEnabled(false);
    }

    connect(perHeat, &QLineEdit::textChanged, this, [this, perHeat](const QString& text) {
        TakenCount t = TakeDriversPerHeat(FromQString(text));
        SetDriversPerHeat(*work_, t.value);
        if (t.rewrite) perHeat->setText(QString::number(t.value));
        ResetScroll(true);
        ShowConflicts();
        update();
    });
    connect(rounds, &QLineEdit::textChanged, this, [this, rounds](const QString& text) {
        TakenCount t = TakeRounds(FromQString(text));
        SetRounds(*work_, t.value);
        if (t.rewrite) rounds->setText(QString::number(t.value));
    });
    connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int action) {
        // Page up and down go to the ends of the list.
        if (action == QAbstractSlider::SliderPageStepAdd) {
            scrollBar_->setSliderPosition(scrollBar_->maximum());
        } else if (action == QAbstractSlider::SliderPageStepSub) {
            scrollBar_->setSliderPosition(scrollBar_->minimum());
        }
    });
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        scroll_ = value;
        update();
    });
    connect(print, &QPushButton::clicked, this,
            [this] { PrintArrangement(*work_, dialogs_, messages_, clock_); });
    connect(generate, &QPushButton::clicked, this, &ArrangementForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &ArrangementForm::reject);
}

void ArrangementForm::ResetScroll(bool toTop) {
    const int range = ScrollRange(*work_);
    scroll_ = toTop ? 0 : std::min(scroll_, range);
    const QSignalBlocker quiet(scrollBar_);
    scrollBar_->setRange(0, range);
    scrollBar_->setPageStep(kVisibleRows);
    scrollBar_->setValue(scroll_);
    scrollBar_->setVisible(range > 0);
}

void ArrangementForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    QtCanvas canvas(painter);
    DrawArrangementTable(canvas, *work_, scroll_);
}

void ArrangementForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (!ClickTable(*work_, scroll_, at.x(), at.y())) return;
    sounds_.PlayAsync(kBeepSound);
    ResetScroll(false);
    ShowConflicts();
    update();
}

void ArrangementForm::ShowConflicts() {
    ShowRadioConflicts(*conflicts_, HeatConflictLines(*work_));
}

bool ArrangementForm::Write() {
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    return Generate(*work_, watch, disk_) && !watch.Failed();
}

// ---------------------------------------------------------------------------------------------
// Starting grids.

GridsForm::GridsForm(int category, Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("GRILLESDEPART", "Starting grids for the qualification", QSize(230, 318), messages,
                parent),
      category_(category),
      disk_(disk) {
    OpenGrids(category_, work_, messages_, disk_);
    auto* frame = Place(new QLabel(this), kGridsFormLabels + 10, "Desired orders of start",
                        Dlu(10, 30, 210, 185));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    FormLabel(this, kGridsFormLabels + 11, "Desired orders of start", Dlu(15, 33, 200, 12));
    for (int r = 1; r <= kRounds; ++r) {
        const QString label = QString("Round %1").arg(r);
        const int y = r == 1 ? 10 : 48 + 18 * (r - 2);
        QLabel* caption = FormLabel(this, kGridsFormLabels + r, label, Dlu(20, y + 2, 50, 12));
        auto* edit = Place(new QLineEdit(this), kFirstGridEdit + r - 1, label, Dlu(75, y, 130, 14));
        edit->setFont(ProgramFont(15));
        edit->setText(ToQString(work_.grids[std::size_t(r - 1)].letters.View()));
        const bool readOnly = r == 1 || work_.readOnly;
        edit->setReadOnly(readOnly);
        // A grid that cannot change looks it, and neither takes focus nor selects its text.
        edit->setEnabled(!readOnly);
        if (r == 1) edit->setToolTip("Round 1 always starts in the heat's order.");
        edit->setMaxLength(std::max(1, work_.driversPerHeat));
        caption->setVisible(r <= work_.rounds);
        edit->setVisible(r <= work_.rounds);
        connect(edit, &QLineEdit::textChanged, this, [this, r](const QString& text) {
            TypeGrid(work_.grids[std::size_t(r - 1)], FromQString(text), work_.driversPerHeat);
        });
    }
    auto* legend = FormLabel(this, kGridLegend, ToQString(GridLegend(work_.driversPerHeat).View()),
                             Dlu(10, 220, 210, 42));
    legend->setWordWrap(true);
    const QString reason = ToQString(GridsReadOnlyReason(work_));
    auto* why = FormLabel(this, kGridsReadOnlyReason, reason, Dlu(10, 264, 210, 22));
    why->setWordWrap(true);
    why->setVisible(!reason.isEmpty());
    QPushButton* ok = FormButton(this, kConfirmButton, "OK", Dlu(90, 294, 50, 16));
    connect(ok, &QPushButton::clicked, this, &GridsForm::Confirm);
}

bool GridsForm::Write() {
    WriteWatch watch(messages_, disk_, kWorkingCopy, kRaceFileNotFound);
    return ConfirmGrids(category_, work_, watch, disk_) && !watch.Failed();
}

void GridsForm::done(int result) {
    if (result != QDialog::Accepted) CloseGrids(category_, work_, messages_, disk_);
    ModalForm::done(result);
}

}  // namespace velkaro
