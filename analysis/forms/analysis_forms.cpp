#include "analysis/forms/analysis_forms.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <memory>

#include "forms_kit/form_host.h"
#include "platform/cp1252.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

namespace {

constexpr int kCloseId = 2;
constexpr int kEnterId = 1;

QRadioButton* Radio(QWidget* parent, int id, const char* label, QRect where, QButtonGroup* group) {
    auto* r = Place(new QRadioButton(label, parent), id, label, where);
    r->setFont(ProgramFont(15));
    group->addButton(r, id);
    return r;
}

}  // namespace

CanvasView::CanvasView(std::function<void(Canvas&)> paint, QWidget* parent)
    : QWidget(parent), paint_(std::move(paint)) {
    setAutoFillBackground(false);
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    QtCanvas canvas(painter);
    paint_(canvas);
}

// ---------------------------------------------------------------------------------------------

DriverAnalysisForm::DriverAnalysisForm(int& viewMode, AppPlatform& platform, QWidget* parent)
    : ModalForm("ANALYSEPILOTE", "Driver results Analysis", QSize(420, 400), platform.messages,
                parent),
      viewMode_(viewMode),
      platform_(platform) {
    if (!ReadDriverResults(car_, heading_, *platform.disk)) {
        car_ = RunCar{};
        messages_.Error(kDriverResultsFileNotFound);
    }
    titles_ = AnalysisTitlesOf(heading_.runTitle.View(), car_.driverName.View(),
                               heading_.circuitName.View(), heading_.description.View());
    first_ = ClampFirstLap(1, car_.passingCount);
    last_ = car_.passingCount;

    auto* run =
        Place(new QLabel(ToQString(titles_.run.View()), this), 7012, "Run", QRect(10, 8, 715, 20));
    run->setFont(ProgramFont(16, true));
    Place(new QLabel(ToQString(titles_.track.View()), this), 7013, "Track", QRect(10, 30, 715, 20))
        ->setFont(ProgramFont(15));

    auto* views = new QButtonGroup(this);
    Radio(this, 6501, "Data", QRect(10, 60, 80, 22), views);
    Radio(this, 6502, "Histogram", QRect(95, 60, 100, 22), views);
    Radio(this, 6503, "Curve", QRect(200, 60, 80, 22), views);
    if (viewMode_ < 0 || viewMode_ > 2) viewMode_ = 0;
    views->button(6501 + viewMode_)->setChecked(true);

    QLineEdit* fields[2];
    const char* labels[2] = {" From lap ", "     to lap "};
    for (int k = 0; k < 2; ++k) {
        auto* label = Place(new QLabel(labels[k], this), 7014 + k, labels[k],
                            QRect(300 + 170 * k, 60, 85, 22));
        label->setFont(ProgramFont(15));
        fields[k] = Place(new QLineEdit(QString::number(k == 0 ? first_ : last_), this), 6504 + k,
                          labels[k], QRect(385 + 170 * k, 60, 50, 22));
        fields[k]->setMaxLength(kLapFieldDigits);
        fields[k]->setAlignment(Qt::AlignRight);
        TakeDigits(*fields[k]);
        fields[k]->setFont(ProgramFont(15));
    }

    view_ = new CanvasView([this](Canvas& c) { Paint(c); }, this);
    view_->setObjectName("analysisView");
    view_->setGeometry(10, 92, 715, 440);

    Place(new QGroupBox("Detail lap by lap", this), 7016, "Detail lap by lap",
          QRect(10, 538, 530, 94))
        ->setFont(ProgramFont(15, true));
    strip_ = new CanvasView(
        [this](Canvas& c) {
            PaintLapStrip(c, car_, stripScroll_->value(), {0, 0});
        },
        this);
    strip_->setObjectName("lapStrip");
    strip_->setGeometry(20, 562, 510, 42);
    stripScroll_ = Place(new QScrollBar(Qt::Horizontal, this), kLapStripScroll, "Detail lap by lap",
                         QRect(20, 606, 510, 18));
    stripScroll_->setRange(0, std::max(0, car_.passingCount - 7));

    auto* print = Place(new QPushButton("Print", this), kAnalysisPrintButton, "Print",
                        QRect(560, 575, 75, 40));
    print->setIcon(QIcon(QString::fromStdString(FileSystemName("images/impression.bmp"))));
    print->setFont(ProgramFont(15));
    auto* close = Place(new QPushButton("Close", this), kCloseId, "Close", QRect(650, 575, 75, 40));
    close->setFont(ProgramFont(15));

    connect(views, &QButtonGroup::idClicked, this, [this](int id) {
        viewMode_ = id - 6501;
        Recompute();
    });
    for (int k = 0; k < 2; ++k) {
        QLineEdit* f = fields[k];
        connect(f, &QLineEdit::textEdited, this, [this, f, k] { RangeTyped(f, k == 0); });
    }
    connect(stripScroll_, &QScrollBar::valueChanged, strip_, qOverload<>(&QWidget::update));
    connect(print, &QPushButton::clicked, this, &DriverAnalysisForm::Print);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    Recompute();
}

void DriverAnalysisForm::RangeTyped(QLineEdit* field, bool isFirst) {
    if (field->text().isEmpty()) return;
    int typed = field->text().toInt();
    int value =
        isFirst ? ClampFirstLap(typed, car_.passingCount) : ClampLastLap(typed, car_.passingCount);
    if (value != typed) field->setText(QString::number(value));
    (isFirst ? first_ : last_) = value;
    Recompute();
}

void DriverAnalysisForm::Recompute() {
    switch (AnalysisView(viewMode_)) {
        case AnalysisView::Data:
            ComputeLapStatistics(car_, first_, last_, statistics_);
            break;
        case AnalysisView::Histo:
            ComputeLapHistogram(car_, first_, last_, histogram_);
            break;
        case AnalysisView::Curve:
            ComputeLapCurve(car_, first_, last_, curve_);
            break;
    }
    view_->update();
}

void DriverAnalysisForm::Paint(Canvas& canvas) {
    Rect area{0, 0, view_->width(), view_->height()};
    switch (AnalysisView(viewMode_)) {
        case AnalysisView::Data:
            if (statistics_.count > 0) PaintLapStatistics(canvas, statistics_, {20, 15});
            break;
        case AnalysisView::Histo:
            PaintLapHistogram(canvas, histogram_, {area.left + 30, 60, area.right, 330});
            break;
        case AnalysisView::Curve:
            PaintLapCurve(canvas, car_, curve_, area);
            break;
    }
}

void DriverAnalysisForm::Print() {
    AnalysisPrint p;
    p.view = AnalysisView(viewMode_);
    p.car = &car_;
    p.titles = titles_;
    p.first = first_;
    p.last = last_;
    p.statistics = statistics_;
    p.histogram = histogram_;
    p.curve = curve_;
    PrintAnalysis(platform_.dialogs, messages_, platform_.clock, p);
}

// ---------------------------------------------------------------------------------------------

RunDetailsForm::RunDetailsForm(Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("DETAILRESULTATS", "Run detailed results", QSize(610, 420), messages, parent) {
    if (!LoadRunDetails(details_, disk)) messages_.Error(kRunDetailsFileNotFound);
    auto* views = new QButtonGroup(this);
    Radio(this, kRaceTimeRadio, "race time", QRect(270, 15, 120, 22), views)->setChecked(true);
    Radio(this, kLapTimeRadio, "lap time", QRect(400, 15, 120, 22), views);
    Radio(this, kPositionsRadio, "follow-up of the positions", QRect(530, 15, 240, 22), views);

    view_ = new CanvasView(
        [this](Canvas& c) { PaintRunDetails(c, details_, shown_, laps_->value(), cars_->value()); },
        this);
    view_->setObjectName("detailsView");
    view_->setGeometry(0, 0, 1030, 650);
    view_->lower();
    GridScroll scroll = GridScrollOf(details_);
    laps_ = Place(new QScrollBar(Qt::Vertical, this), 6304, "Laps", QRect(1030, 60, 18, 590));
    laps_->setRange(0, scroll.lapMaximum);
    cars_ = Place(new QScrollBar(Qt::Horizontal, this), 6305, "Cars", QRect(320, 655, 710, 18));
    cars_->setRange(0, scroll.carMaximum);
    auto* close = Place(new QPushButton("Close", this), kCloseId, "Close", QRect(960, 690, 80, 30));
    close->setFont(ProgramFont(15));

    connect(views, &QButtonGroup::idClicked, this, [this](int id) {
        Show(id == kLapTimeRadio     ? DetailsView::LapTime
             : id == kPositionsRadio ? DetailsView::Positions
                                     : DetailsView::RaceTime);
    });
    for (QScrollBar* s : {laps_, cars_}) {
        connect(s, &QScrollBar::valueChanged, view_, qOverload<>(&QWidget::update));
    }
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    Show(DetailsView::RaceTime);
}

void RunDetailsForm::Show(DetailsView view) {
    shown_ = view;
    GridScroll scroll = GridScrollOf(details_);
    bool grid = view != DetailsView::Positions;
    laps_->setVisible(grid && scroll.lapMaximum > 0);
    cars_->setVisible(grid && scroll.carMaximum > 0);
    view_->update();
}

// ---------------------------------------------------------------------------------------------

CommentForm::CommentForm(Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("COMMENTAIRE", "Comment about the run", QSize(330, 110), messages, parent),
      disk_(disk) {
    if (!ReadRunComment(condition_, comment_, disk)) messages_.Error(kCommentFileNotFound);
    Place(new QGroupBox("Track condition", this), 7017, "Track condition", Dlu(10, 5, 310, 32))
        ->setFont(ProgramFont(15, true));
    auto* group = new QButtonGroup(this);
    Radio(this, kDryRadio, "dry", Dlu(25, 18, 60, 12), group);
    Radio(this, kWetRadio, "wet", Dlu(120, 18, 60, 12), group);
    Radio(this, kIceRadio, "ice", Dlu(215, 18, 60, 12), group);
    group->button(ConditionRadio(condition_.View()))->setChecked(true);
    auto* label = Place(new QLabel("Comment", this), 7018, "Comment", Dlu(10, 45, 50, 12));
    label->setFont(ProgramFont(15));
    auto* comment = Place(new QLineEdit(ToQString(comment_.View()), this), kCommentField, "Comment",
                          Dlu(60, 43, 260, 14));
    comment->setMaxLength(kCommentLimit);
    comment->setFont(ProgramFont(15));
    auto* enter = Place(new QPushButton("Enter", this), kEnterId, "Enter", Dlu(200, 80, 55, 16));
    auto* cancel = Place(new QPushButton("Cancel", this), kCloseId, "Cancel", Dlu(265, 80, 55, 16));
    for (QPushButton* b : {enter, cancel}) b->setFont(ProgramFont(15));
    enter->setDefault(true);

    connect(group, &QButtonGroup::idClicked, this,
            [this](int id) { condition_ = ConditionOfRadio(id); });
    connect(comment, &QLineEdit::textChanged, this,
            [this](const QString& text) { comment_ = CutComment(FromQString(text)); });
    connect(enter, &QPushButton::clicked, this, &CommentForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CommentForm::Write() {
    WriteWatch watch(messages_, disk_, kRunCommentFile, kCommentFileNotFound);
    return watch.Written(WriteRunComment(condition_.View(), comment_.View(), disk_));
}

// ---------------------------------------------------------------------------------------------

void RegisterAnalysisForms(CommandRegistry& commands, const FormHost& host,
                           AnalysisFormsContext context) {
    auto viewMode = std::make_shared<int>(0);  // the view chosen last, for the program's life
    commands.Add(kDriverAnalysisCommand, [&host, context, viewMode] {
        DriverAnalysisForm form(*viewMode, host.platform, host.window);
        form.Run();
    });
    commands.Add(kRunDetailsCommand, [&host, context] {
        RunEngine& e = context.engine;
        WriteRunDetails(e.tables.cars, e.options.classification.View(), host.platform.messages,
                        *host.platform.disk);
        RunDetailsForm form(host.platform.messages, *host.platform.disk, host.window);
        form.Run();
    });
    commands.Add(kAddCommentCommand, [&host, context] {
        RunTrailer& t = context.engine.trailer;
        if (!WriteRunComment(t.condition.View(), t.comment.View(), *host.platform.disk)) {
            host.platform.messages.Error(kCommentFileNotFound);
        }
        {
            CommentForm form(host.platform.messages, *host.platform.disk, host.window);
            form.Run();
        }
        // What the form confirmed is the run's own, stored with it when the run is recorded.
        t.condition.Clear();
        t.comment.Clear();
        ReadRunComment(t.condition, t.comment, *host.platform.disk);
    });
}

}  // namespace velkaro
