#include "qualification/forms/classification_forms.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "event/event_tree.h"
#include "forms_kit/form_host.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"
#include "qualification/forms/form_parts.h"

namespace velkaro {

namespace {

constexpr int kFontPixels = 13;

// The confirming and the cancelling buttons, in the right-hand column.
void Buttons(ModalForm* form, int x, int y, std::function<void()> validate,
             QPushButton** validateButton) {
    auto* ok = Place(new QPushButton("Validate", form), 1, "Validate", Dlu(x, y, 80, 18));
    auto* cancel = Place(new QPushButton("Cancel", form), 2, "Cancel", Dlu(x, y + 24, 80, 18));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, form, std::move(validate));
    QObject::connect(cancel, &QPushButton::clicked, form, &QDialog::reject);
    *validateButton = ok;
}

// Line steps move one row, page steps jump to either end, the thumb counts once released.
QScrollBar* TableScrollBar(QWidget* parent, int id, const char* label, QRect where, int rows) {
    auto* bar = Place(new QScrollBar(Qt::Vertical, parent), id, label, where);
    bar->setRange(0, ScrollMaximum(rows));
    bar->setSingleStep(1);
    bar->setTracking(false);
    bar->setVisible(rows > kScreenRows);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd) bar->setSliderPosition(bar->maximum());
        if (action == QAbstractSlider::SliderPageStepSub) bar->setSliderPosition(bar->minimum());
    });
    QObject::connect(bar, &QScrollBar::valueChanged, parent, [parent] { parent->update(); });
    return bar;
}

// Keeps an edit to its digits; returns the value it now shows.
std::int32_t Digits(QLineEdit* edit, int maxDigits) {
    std::string digits = TypedDigits(FromQString(edit->text()), maxDigits);
    if (ToQString(digits) != edit->text()) edit->setText(ToQString(digits));
    return ParseInt(digits);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

RoundClassificationForm::RoundClassificationForm(int category, int round, AppPlatform& platform,
                                                 QWidget* parent)
    : ModalForm("CLASSEMENTMANCHE", "Qualifying rounds classification", QSize(600, 365),
                platform.messages, parent),
      platform_(platform) {
    RoundNotes notes;
    sheet_ = OpenRoundSheet(category, round, notes, *platform.disk);
    ReportRoundNotes(notes, round, messages_);
    setFont(ProgramFont(kFontPixels));

    Place(new QGroupBox("Drivers classification", this), kRoundSortFrame, "Drivers classification",
          Dlu(17, 306, 171, 52));
    byLaps_ = Place(new QRadioButton("according to number of laps + time", this), kRoundByLapsRadio,
                    "according to number of laps + time", Dlu(24, 320, 160, 13));
    byBestLap_ = Place(new QRadioButton("according to best lap", this), kRoundByBestLapRadio,
                       "according to best lap", Dlu(24, 338, 160, 13));
    auto* group = new QButtonGroup(this);
    group->addButton(byLaps_);
    group->addButton(byBestLap_);
    connect(byLaps_, &QRadioButton::clicked, this, [this] {
        SetRoundKeyword(sheet_, Classification::ByLapsAndTime);
        update();
    });
    connect(byBestLap_, &QRadioButton::clicked, this, [this] {
        SetRoundKeyword(sheet_, Classification::ByBestLap);
        update();
    });

    Place(new QGroupBox("Points", this), kRoundScaleFrame, "Points", Dlu(200, 306, 383, 52));
    constexpr std::array<const char*, 6> kLabels{"1st place",   "gap 1st/2nd", "gap 2nd/3rd",
                                                 "gap 3rd/4th", "gap 4th/5th", "gap 5th and +"};
    for (int i = 0; i < 6; ++i) {
        int x = 206 + 62 * i;
        Place(new QLabel(kLabels[std::size_t(i)], this), kFirstScaleLabel + i,
              kLabels[std::size_t(i)], Dlu(x, 318, 60, 12));
        QLineEdit* edit = Place(new QLineEdit(this), kFirstScaleEdit + i, kLabels[std::size_t(i)],
                                Dlu(x + 10, 333, 28, 15));
        int maxDigits = i == 0 ? 3 : 2;
        edit->setMaxLength(maxDigits);
        TakeDigits(*edit);
        edit->setText(QString::number(sheet_.classification.scale[std::size_t(i)]));
        connect(edit, &QLineEdit::textEdited, this, [this, edit, i, maxDigits] {
            SetScaleValue(sheet_, i, Digits(edit, maxDigits));
            update();
        });
        scale_[std::size_t(i)] = edit;
    }

    QPushButton* print = PrintButton(this, kRoundPrintButton, Dlu(486, 50, 28, 28), 8);
    connect(print, &QPushButton::clicked, this,
            [this] { PrintRoundSheet(sheet_, platform_.dialogs, messages_, platform_.clock); });
    QPushButton* validate = nullptr;
    Buttons(
        this, 486, 250, [this] { Confirm(); }, &validate);
    scroll_ = TableScrollBar(this, kRoundScrollBar, "Scroll", Dlu(453, 47, 10, 251),
                             ParticipantsOf(sheet_));
    ShowSort();
    if (RoundSheetReadOnly(sheet_)) {
        for (QWidget* w : std::initializer_list<QWidget*>{validate, byLaps_, byBestLap_}) {
            w->setEnabled(false);
        }
        for (QLineEdit* e : scale_) e->setEnabled(false);
    }
}

void RoundClassificationForm::ShowSort() {
    Classification k = sheet_.classification.keyword.Value();
    byLaps_->setChecked(k == Classification::ByLapsAndTime);
    byBestLap_->setChecked(k == Classification::ByBestLap);
}

void RoundClassificationForm::paintEvent(QPaintEvent* event) {
    ModalForm::paintEvent(event);
    QPainter painter(this);
    QtCanvas canvas(painter);
    DrawRoundScreen(canvas, sheet_, scroll_->value());
}

bool RoundClassificationForm::Write() {
    WriteWatch watch(messages_, *platform_.disk, kWorkingCopy, kRaceFileNotFound);
    SaveRoundSheet(sheet_, watch, *platform_.disk);
    return !watch.Failed();
}

// ---------------------------------------------------------------------------------------------

OverallClassificationForm::OverallClassificationForm(int category, AppPlatform& platform,
                                                     QWidget* parent)
    : ModalForm("CLASSEMENTFINALQUALIFS", "Overall Classification of Qualification",
                QSize(640, 424), platform.messages, parent),
      platform_(platform) {
    OverallNotes notes;
    sheet_ = OpenOverallSheet(category, notes, *platform.disk);
    ReportOverallNotes(notes, messages_);
    setFont(ProgramFont(kFontPixels));

    Place(new QGroupBox("Classification calculated in accordance with", this),
          kOverallCriteriaFrame, "Classification calculated in accordance with",
          Dlu(11, 350, 503, 70));
    constexpr std::array<const char*, 5> kLines{
        "Criterion 1:   sum of points of the best", "qualifying rounds",
        "Criterion 2:   points of the best round",
        "Criterion 3:   points of the best following rounds", "Criterion 4:   in case of equality"};
    constexpr std::array<QRect (*)(), 5> kAt{
        [] { return Dlu(20, 364, 182, 12); }, [] { return Dlu(222, 364, 100, 12); },
        [] { return Dlu(20, 378, 250, 12); }, [] { return Dlu(20, 392, 250, 12); },
        [] { return Dlu(20, 406, 150, 12); }};
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        Place(new QLabel(kLines[i], this), kFirstCriterionLabel + int(i), kLines[i], kAt[i]());
    }
    bestRounds_ = Place(new QLineEdit(this), kBestRoundsEdit, "sum of points of the best",
                        Dlu(204, 362, 14, 15));
    bestRounds_->setMaxLength(1);
    TakeDigits(*bestRounds_);
    bestRounds_->setText(QString::number(sheet_.bestRounds));
    connect(bestRounds_, &QLineEdit::textEdited, this, [this] {
        SetBestRounds(sheet_, Digits(bestRounds_, 1));
        update();
    });
    byLaps_ = Place(new QRadioButton("best number of laps + time", this), kOverallByLapsRadio,
                    "best number of laps + time", Dlu(175, 405, 115, 13));
    byBestLap_ = Place(new QRadioButton("best laptime", this), kOverallByBestLapRadio,
                       "best laptime", Dlu(295, 405, 90, 13));
    auto* group = new QButtonGroup(this);
    group->addButton(byLaps_);
    group->addButton(byBestLap_);
    byLaps_->setChecked(sheet_.keyword == Classification::ByLapsAndTime);
    byBestLap_->setChecked(sheet_.keyword == Classification::ByBestLap);
    connect(byLaps_, &QRadioButton::clicked, this, [this] {
        SetOverallKeyword(sheet_, Classification::ByLapsAndTime);
        update();
    });
    connect(byBestLap_, &QRadioButton::clicked, this, [this] {
        SetOverallKeyword(sheet_, Classification::ByBestLap);
        update();
    });

    QPushButton* print = PrintButton(this, kOverallPrintButton, Dlu(540, 50, 28, 28), 8);
    connect(print, &QPushButton::clicked, this,
            [this] { PrintOverallSheet(sheet_, platform_.dialogs, messages_, platform_.clock); });
    QPushButton* validate = nullptr;
    Buttons(
        this, 540, 340, [this] { Confirm(); }, &validate);
    scroll_ = TableScrollBar(this, kOverallScrollBar, "Scroll", Dlu(516, 48, 10, 297),
                             ParticipantsOf(sheet_));
    if (OverallSheetReadOnly(sheet_)) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{validate, bestRounds_, byLaps_, byBestLap_}) {
            w->setEnabled(false);
        }
    }
}

void OverallClassificationForm::paintEvent(QPaintEvent* event) {
    ModalForm::paintEvent(event);
    QPainter painter(this);
    QtCanvas canvas(painter);
    DrawOverallScreen(canvas, sheet_, scroll_->value());
}

bool OverallClassificationForm::Write() {
    WriteWatch watch(messages_, *platform_.disk, kWorkingCopy, kRaceFileNotFound);
    FileOutcome out = SaveOverallSheet(sheet_, watch, *platform_.disk);
    if (watch.Failed()) return false;
    // Without participants there is nothing to store: told, and the form stays for Cancel.
    return out != FileOutcome::NoSection || ParticipantsOf(sheet_) > 0;
}

// ---------------------------------------------------------------------------------------------

void RegisterClassificationForms(CommandRegistry& commands, const FormHost& host,
                                 EventHeader& header) {
    commands.Add(kRoundClassificationCommand, [&host, &header] {
        int code = header.selectedNode;
        int category = code / 10000, round = code - 10000 * category - node::kClassifications;
        if (category < 1 || category > header.categoryCount) return;
        if (round < 1 || round > kRounds) return;
        RoundClassificationForm form(category, round, host.platform, host.window);
        form.Run();
    });
    commands.Add(kOverallClassificationCommand, [&host, &header] {
        int category = header.selectedNode / 10000;
        if (category < 1 || category > header.categoryCount) return;
        OverallClassificationForm form(category, host.platform, host.window);
        if (form.Run() == QDialog::Accepted) {
            // The finals state changed: the tree's pop-ups follow the header.
            EventHeader read;
            if (ReadEventHeader(read, *host.platform.disk) == FileOutcome::Done) {
                read.selectedNode = header.selectedNode;
                header = read;
            }
        }
    });
}

}  // namespace velkaro
