#include "databases/forms/editor_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "databases/circuits_file.h"
#include "databases/forms/transponder_field.h"
#include "platform/cp1252.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

namespace {

constexpr int kHeightDlu = 250;
constexpr int kRowDlu = 17;
constexpr int kFirstRowDlu = 40;

template <typename C>
void FillChoices(QComboBox* box, const C& choices) {
    for (int i = 0; i < choices.count; ++i) {
        box->addItem(ToQString(choices.items[static_cast<std::size_t>(i)].View()));
    }
    box->model()->sort(0);
}

bool LoadCircuitsFrom(CircuitTable& t, Disk& d, FileFlaws* flaws) {
    return LoadCircuits(t, d, flaws);
}
// The circuits saver writes every named slot: the same file the run engine writes at a record.
bool SaveCircuitsTo(const CircuitTable& t, int, Disk& d) {
    return SaveCircuits(t, d);
}

}  // namespace

const EditorKind<CircuitTable> kCircuitsEditor{"CIRCUITS",
                                               "Database : Circuits",
                                               "Circuits  (20 max)",
                                               440,
                                               kCircuitRules,
                                               kCircuitFields,
                                               kCircuitPicture,
                                               [](CircuitRecord& r) { return RefOf(r.image); },
                                               true,
                                               kCircuitsFile,
                                               kCircuitsFileNotFound,
                                               LoadCircuitsFrom,
                                               SaveCircuitsTo};
const EditorKind<ClubTable> kClubsEditor{
    "CLUBS",    "Database : Clubs", "Clubs  (100 max)", 440,
    kClubRules, kClubFields,        std::nullopt,       nullptr,
    false,      kClubsFile,         kClubsFileNotFound, LoadClubs,
    SaveClubs};
const EditorKind<DriverTable> kDriversEditor{"PILOTES",
                                             "Database : Drivers",
                                             "Drivers  (1000 max)",
                                             440,
                                             kDriverRules,
                                             kDriverFields,
                                             kDriverPicture,
                                             [](DriverRecord& r) { return RefOf(r.image); },
                                             false,
                                             kDriversFile,
                                             kDriversFileNotFound,
                                             LoadDrivers,
                                             SaveDrivers};
const EditorKind<FrequencyTable> kFrequenciesEditor{"FREQUENCES",
                                                    "Database : Frequencies",
                                                    "Frequencies",
                                                    180,
                                                    kFrequencyRules,
                                                    {},
                                                    std::nullopt,
                                                    nullptr,
                                                    false,
                                                    kFrequenciesFile,
                                                    kFrequenciesFileNotFound,
                                                    LoadFrequencies,
                                                    SaveFrequencies};

template <typename Table>
EditorForm<Table>::EditorForm(const EditorKind<Table>& kind, Messages& messages, Dialogs& dialogs,
                              Disk& disk, QWidget* parent)
    : ModalForm(kind.objectName, kind.title, QSize(kind.widthDlu, kHeightDlu), messages, parent),
      kind_(kind),
      dialogs_(dialogs),
      disk_(disk),
      table_(std::make_unique<Table>()) {
    QFont normal = ProgramFont(16);
    QFont bold = ProgramFont(16, true);

    Place(new QLabel(kind.listTitle, this), kListTitleId, kind.listTitle, Dlu(10, 6, 160, 12))
        ->setFont(bold);
    Place(new QLabel("New", this), kNewEditId + 100, "New", Dlu(10, 24, 22, 12))->setFont(normal);
    new_ = Place(new QLineEdit(this), kNewEditId, "New", Dlu(34, 22, 86, 14));
    new_->setMaxLength(kind.rules.newMaxChars);
    auto* add = Place(new QPushButton("Add", this), kAddButtonId, "Add", Dlu(124, 22, 42, 14));
    list_ = Place(new QListWidget(this), kNameListId, kind.listTitle, Dlu(10, 40, 110, 170));
    Place(new QLabel("ID", this), kIdBoxId + 100, "ID", Dlu(124, 42, 14, 12))->setFont(normal);
    id_ = Place(new QLineEdit(this), kIdBoxId, "ID", Dlu(140, 40, 26, 14));
    id_->setReadOnly(true);
    // Beside the list it acts on, clear of Ok and Cancel however narrow the form.
    auto* remove =
        Place(new QPushButton("Remove", this), kRemoveButtonId, "Remove", Dlu(124, 58, 46, 16));
    auto* ok = Place(new QPushButton("Ok", this), kOkId, "Ok",
                     Dlu(kind.widthDlu - 120, kHeightDlu - 24, 50, 16));
    auto* cancel = Place(new QPushButton("Cancel", this), kCancelId, "Cancel",
                         Dlu(kind.widthDlu - 62, kHeightDlu - 24, 50, 16));
    for (QWidget* w : std::initializer_list<QWidget*>{new_, add, list_, id_, remove, ok, cancel}) {
        w->setFont(normal);
    }
    add->setAutoDefault(false);
    remove->setAutoDefault(false);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);

    bool needCountries = false, needClubs = false;
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        const DetailField<typename Table::value_type>& f = kind.fields[i];
        const int y = kFirstRowDlu + kRowDlu * static_cast<int>(i);
        const int id = kFirstDetailId + static_cast<int>(i);
        const QString label = ToQString(f.label);
        Place(new QLabel(label, this), kFirstDetailLabelId + static_cast<int>(i), label,
              Dlu(172, y + 1, 72, 12))
            ->setFont(normal);
        // Drop-downs stand below the picture, wide enough for the longest country.
        const bool choice = f.kind == FieldKind::Country || f.kind == FieldKind::Club;
        const int width = choice ? 180 : f.unit.empty() ? 56 : 30;
        QWidget* control = nullptr;
        if (choice) {
            auto* box = Place(new QComboBox(this), id, label, Dlu(246, y - 1, width, 14));
            (f.kind == FieldKind::Country ? needCountries : needClubs) = true;
            connect(box, &QComboBox::currentIndexChanged, this, [this, i, box] {
                if (showing_) return;
                kind_.fields[i]
                    .slot((*table_)[static_cast<std::size_t>(selected_)])
                    .Assign(FromQString(box->currentText()));
            });
            control = box;
        } else {
            auto* edit = Place(new QLineEdit(this), id, label, Dlu(246, y - 1, width, 14));
            edit->setMaxLength(f.maxChars);
            edit->setReadOnly(f.kind == FieldKind::ReadOnly);
            const bool chip = f.kind == FieldKind::Transponder;
            if (chip) MakeTransponderField(edit);
            connect(edit, &QLineEdit::textChanged, this, [this, i, chip](const QString& text) {
                if (showing_) return;
                std::string typed = FromQString(text);
                // "1001" is kept as the six digits of its number.
                if (chip) typed = std::string(NormalTransponder(typed).View());
                kind_.fields[i].slot((*table_)[static_cast<std::size_t>(selected_)]).Assign(typed);
            });
            control = edit;
        }
        control->setFont(normal);
        details_.push_back(control);
        if (!f.unit.empty()) {
            const QString unit = ToQString(f.unit);
            Place(new QLabel(unit, this), kFirstDetailUnitId + static_cast<int>(i), unit,
                  Dlu(280, y + 1, 16, 12))
                ->setFont(normal);
        }
    }
    if (kind.clearRecord) {
        auto* clear =
            Place(new QPushButton("Clear", this), kClearRecordId, "Clear",
                  Dlu(246, kFirstRowDlu + kRowDlu * static_cast<int>(kind.fields.size()), 56, 16));
        clear->setFont(normal);
        clear->setAutoDefault(false);
        connect(clear, &QPushButton::clicked, this, [this] {
            if constexpr (std::is_same_v<Table, CircuitTable>) {
                ClearCircuitRecord((*table_)[static_cast<std::size_t>(selected_)]);
                ShowRecord();
            }
        });
    }

    // Opening: the file, else its message and an empty table. Lines the file holds but a record
    // cannot are told; Ok would write the file without them, so the director may decline.
    FileFlaws flaws;
    if (!kind.load(*table_, disk_, &flaws)) messages_.Error(kind.notFound);
    if (!AcceptFlawedFile(flaws, messages_)) Decline();
    FileFlaws choiceFlaws;
    if (needCountries && !FillCountryChoices(countries_, disk_, &choiceFlaws)) {
        messages_.Error(kCountriesFileNotFound);
    }
    TellFlaws(choiceFlaws, messages_);
    choiceFlaws = {};
    if (needClubs && !FillClubChoices(clubs_, disk_, &choiceFlaws)) {
        messages_.Error(kClubsFileNotFound);
    }
    TellFlaws(choiceFlaws, messages_);
    showing_ = true;  // the lists take their first entry as they fill: no choice of the user
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        if (kind.fields[i].kind == FieldKind::Country) {
            FillChoices(static_cast<QComboBox*>(details_[i]), countries_);
        } else if (kind.fields[i].kind == FieldKind::Club) {
            FillChoices(static_cast<QComboBox*>(details_[i]), clubs_);
        }
    }
    showing_ = false;
    Refill();
    Select(0);

    connect(add, &QPushButton::clicked, this, &EditorForm::Add);
    connect(new_, &QLineEdit::returnPressed, this, &EditorForm::Add);
    connect(remove, &QPushButton::clicked, this, &EditorForm::Remove);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!showing_ && row >= 0) Select(row);
    });
    connect(ok, &QPushButton::clicked, this, &EditorForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &EditorForm::reject);
}

template <typename Table>
void EditorForm<Table>::Refill() {
    showing_ = true;
    list_->clear();
    int count = NameCount(*table_, kind_.rules.capacity);
    for (int i = 0; i < count; ++i) {
        list_->addItem(ToQString((*table_)[static_cast<std::size_t>(i)].name.View()));
    }
    showing_ = false;
}

template <typename Table>
void EditorForm<Table>::Select(int position) {
    selected_ = position;
    showing_ = true;
    list_->setCurrentRow(position < list_->count() ? position : -1);
    showing_ = false;
    id_->setText(QString::number(position + 1));
    ShowRecord();
}

template <typename Table>
void EditorForm<Table>::ShowRecord() {
    showing_ = true;
    auto& record = (*table_)[static_cast<std::size_t>(selected_)];
    for (std::size_t i = 0; i < kind_.fields.size(); ++i) {
        QString text = ToQString(kind_.fields[i].slot(record).View());
        if (auto* box = qobject_cast<QComboBox*>(details_[i])) {
            box->setCurrentIndex(box->findText(text, Qt::MatchExactly));
        } else {
            static_cast<QLineEdit*>(details_[i])->setText(text);
        }
    }
    showing_ = false;
    if (kind_.picture) update();
}

template <typename Table>
void EditorForm<Table>::Add() {
    const std::string typed = FromQString(new_->text());
    int position = AddName(*table_, typed, kind_.rules);
    if (position < 0) {
        if (!typed.empty() && NameTaken(*table_, typed, kind_.rules)) {
            messages_.Show("Add", "\"" + typed + "\" is already in the list.", MessageButtons::Ok,
                           MessageIcon::Information);
        }
        return;
    }
    new_->clear();
    Refill();
    Select(position);
}

template <typename Table>
void EditorForm<Table>::Remove() {
    if (list_->currentRow() >= 0) RemoveName(*table_, list_->currentRow(), kind_.rules.capacity);
    Refill();
    Select(0);
    Add();
}

template <typename Table>
bool EditorForm<Table>::Write() {
    WriteWatch watch(messages_, disk_, kind_.file, kind_.notFound);
    return watch.Written(kind_.save(*table_, NameCount(*table_, kind_.rules.capacity), disk_));
}

template <typename Table>
void EditorForm<Table>::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!kind_.picture) return;
    const PictureArea& a = *kind_.picture;
    std::string_view image = kind_.image((*table_)[static_cast<std::size_t>(selected_)]).View();
    if (image.empty()) return;
    QPixmap picture(QString::fromStdString(FileSystemName(image)));
    if (picture.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(QRect(a.left, a.top, a.width, a.height), picture);
}

template <typename Table>
void EditorForm<Table>::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!kind_.picture || !kind_.picture->Contains(at.x(), at.y())) {
        ModalForm::mouseDoubleClickEvent(event);
        return;
    }
    TextRef image = kind_.image((*table_)[static_cast<std::size_t>(selected_)]);
    if (event->button() == Qt::LeftButton) {
        std::optional<std::string> chosen = dialogs_.OpenFile(".", {kImageFilter, kImagePattern});
        if (!chosen) return;
        image.Assign(*chosen);
    } else if (event->button() == Qt::RightButton) {
        image.Assign({});
    }
    update();
}

template class EditorForm<CircuitTable>;
template class EditorForm<ClubTable>;
template class EditorForm<DriverTable>;
template class EditorForm<FrequencyTable>;

}  // namespace velkaro
