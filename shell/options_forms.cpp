#include "shell/options_forms.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

#include "forms_kit/form_host.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"
#include "shell/display_options.h"
#include "shell/live_screen.h"
#include "shell/live_screen_widget.h"
#include "shell/main_window.h"
#include "shell/race_screen.h"
#include "shell/sound_options.h"

namespace velkaro {

namespace {

struct SoundGroup {
    int id;
    const char* title;
    int firstLine, lastLine;
};
constexpr std::array<SoundGroup, 3> kSoundGroups{{
    {3711, "Start of the race", 2, 3},
    {3712, "During the race", 4, 6},
    {3713, "End of race", 7, 8},
}};

constexpr std::uint32_t ColourRef(Rgb c) {
    return std::uint32_t(c.r) | std::uint32_t(c.g) << 8 | std::uint32_t(c.b) << 16;
}

struct Caption {
    int id;
    const char* text;
    QRect at;  // client pixels, beside the areas they name
};
constexpr int kCaptionX = 22, kCaptionW = 176;
const Caption kCaptions[] = {
    {3811, "Software background", {kCaptionX, 85, kCaptionW, 20}},
    {3812, "TreeView background", {kCaptionX, 115, kCaptionW, 20}},
    {3813, "Table background", {kCaptionX, 145, kCaptionW, 20}},
    {3815, "Name of runs", {kCaptionX, 215, kCaptionW, 20}},
    {3816, "Radio conflict", {kCaptionX, 245, kCaptionW, 20}},
    {3817, "Cars passage", {kCaptionX, 275, kCaptionW, 20}},
    {3818, "Best lap time of the run", {kCaptionX, 305, kCaptionW, 20}},
    {3819, "Best lap time of the driver", {kCaptionX, 335, kCaptionW, 20}},
    {3821, "Titles", {kCaptionX, 405, kCaptionW, 20}},
    {3822, "Results", {kCaptionX, 435, kCaptionW, 20}},
};

}  // namespace

SoundOptionsForm::SoundOptionsForm(Messages& messages, Disk& disk, QWidget* parent)
    : ModalForm("OPTIONSSONS", "Sound options", QSize(230, 240), messages, parent), disk_(disk) {
    QFont font = ProgramFont(16);
    setFont(font);
    if (!ReadSoundSettings(settings_, disk_)) messages_.Error(kSoundSettingsFileNotFound);

    Place(new QLabel("Sound options", this), 3710, "Sound options", Dlu(10, 6, 200, 14))
        ->setFont(ProgramFont(16, true));
    auto* languages = new QButtonGroup(this);
    auto* english = Place(new QRadioButton("English", this), kSoundEnglishRadio, "English",
                          Dlu(20, 24, 80, 12));
    auto* french =
        Place(new QRadioButton("French", this), kSoundFrenchRadio, "French", Dlu(110, 24, 80, 12));
    languages->addButton(english);
    languages->addButton(french);
    (EnglishChecked(settings_) ? english : french)->setChecked(true);
    for (QRadioButton* radio : {english, french}) {
        connect(radio, &QRadioButton::toggled, this, [this, radio](bool on) {
            ClickSoundControl(settings_, radio->objectName().toInt(), on);
        });
    }

    int y = 42;
    for (const SoundGroup& g : kSoundGroups) {
        int boxes = g.lastLine - g.firstLine + 1;
        Place(new QGroupBox(g.title, this), g.id, g.title, Dlu(8, y, 214, 18 + 14 * boxes));
        int row = y + 14;
        for (const SoundCheck& c : kSoundChecks) {
            if (c.line < g.firstLine || c.line > g.lastLine) continue;
            QString label = ToQString(c.label);
            auto* box = Place(new QCheckBox(label, this), c.id, label, Dlu(16, row, 202, 12));
            box->setChecked(SoundChecked(settings_, c));
            connect(box, &QCheckBox::clicked, this,
                    [this, id = c.id](bool on) { ClickSoundControl(settings_, id, on); });
            row += 14;
        }
        y += 24 + 14 * boxes;
    }

    auto* ok = Place(new QPushButton("Ok", this), 1, "Ok", Dlu(55, y + 4, 50, 16));
    auto* cancel = Place(new QPushButton("Cancel", this), 2, "Cancel", Dlu(125, y + 4, 50, 16));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &SoundOptionsForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &SoundOptionsForm::reject);
}

bool SoundOptionsForm::Write() {
    WriteWatch watch(messages_, disk_, kSoundSettingsFile, kSoundSettingsFileNotFound);
    return watch.Written(WriteSoundSettings(settings_, disk_));
}

DisplayOptionsForm::DisplayOptionsForm(Dialogs& dialogs, Messages& messages, Disk& disk,
                                       std::string programFolder, QWidget* parent)
    : ModalForm("AFFICHAGE", "Display options", QSize(245, 376), messages, parent),
      dialogs_(dialogs),
      disk_(disk),
      programFolder_(std::move(programFolder)) {
    setFont(ProgramFont(15));
    if (!ReadDisplaySettings(SettingsFile(), settings_, custom_, disk_)) {
        messages_.Error(kDisplaySettingsFileNotFound);
    }
    auto* heading = Place(new QLabel("Colors and display font", this), 3809,
                          "Colors and display font", QRect(20, 12, 380, 26));
    heading->setFont(ProgramFont(18, true));
    for (auto [id, title, at] : {std::tuple{3810, "Theme", QRect(10, 55, 410, 125)},
                                 std::tuple{3814, "Events", QRect(10, 185, 410, 185)},
                                 std::tuple{3820, "Table of Results", QRect(10, 375, 410, 185)}}) {
        Place(new QGroupBox(title, this), id, title, at)->setFont(ProgramFont(15, true));
    }
    for (const Caption& c : kCaptions) Place(new QLabel(c.text, this), c.id, c.text, c.at);

    auto* styles = new QButtonGroup(this);
    relief_ = Place(new QRadioButton("relief style", this), kReliefRadio, "relief style",
                    QRect(kCaptionX, 465, 150, 22));
    gradient_ = Place(new QRadioButton("gradient style", this), kGradientRadio, "gradient style",
                      QRect(200, 465, 170, 22));
    styles->addButton(relief_);
    styles->addButton(gradient_);
    connect(relief_, &QRadioButton::clicked, this, [this] { settings_.style = 1; });
    connect(gradient_, &QRadioButton::clicked, this, [this] { settings_.style = 0; });

    Place(new QLabel("Column", this), 3823, "Column", QRect(kCaptionX, 500, 60, 20));
    columns_ = Place(new QComboBox(this), kColumnList, "Column", QRect(90, 497, 150, 26));
    for (std::string_view name : kColumnNames) columns_->addItem(ToQString(name));
    Place(new QLabel("Font", this), 3825, "Font", QRect(255, 500, 42, 20));
    Place(new QLabel("Width", this), 3824, "Width", QRect(kCaptionX, 530, 60, 20));
    width_ = Place(new QLineEdit(this), kWidthField, "Width", QRect(90, 527, 60, 26));
    width_->setMaxLength(3);
    auto* plus = Place(new QPushButton("+", this), kWidthPlus, "+", QRect(155, 527, 30, 26));
    auto* minus = Place(new QPushButton("-", this), kWidthMinus, "-", QRect(190, 527, 30, 26));

    // Where the race screen shows: a projector or a TV full screen, never the main window's own
    // screen; a chosen screen not connected now stays chosen.
    window_ = ReadWindowSettings(disk_);
    Place(new QLabel("Race screen", this), 3826, "Race screen", QRect(kCaptionX, 575, 96, 20));
    raceScreen_ =
        Place(new QComboBox(this), kRaceScreenList, "Race screen", QRect(120, 572, 295, 26));
    raceScreen_->addItem("In the main window", QString());
    QScreen* own = parent != nullptr ? parent->screen() : nullptr;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == own) continue;
        raceScreen_->addItem(QStringLiteral("%1 (%2 x %3)")
                                 .arg(ScreenName(*screen))
                                 .arg(screen->geometry().width())
                                 .arg(screen->geometry().height()),
                             ScreenName(*screen));
    }
    const QString chosen = ToQString(window_.raceScreen);
    if (!chosen.isEmpty() && raceScreen_->findData(chosen) < 0) {
        raceScreen_->addItem(chosen + " (not connected)", chosen);
    }
    raceScreen_->setCurrentIndex(std::max(0, raceScreen_->findData(chosen)));

    auto* load =
        Place(new QPushButton("Load", this), kLoadDisplayButton, "Load", QRect(20, 615, 85, 30));
    auto* save =
        Place(new QPushButton("Save", this), kSaveDisplayButton, "Save", QRect(115, 615, 85, 30));
    auto* ok = Place(new QPushButton("Ok", this), 1, "Ok", QRect(235, 615, 85, 30));
    auto* cancel = Place(new QPushButton("Cancel", this), 2, "Cancel", QRect(330, 615, 85, 30));
    ok->setDefault(true);

    connect(columns_, &QComboBox::currentIndexChanged, this, [this] {
        ShowColumn();
        update();
    });
    auto column = [this]() -> std::int32_t& {
        return settings_.columnWidths[std::size_t(std::max(0, columns_->currentIndex()))];
    };
    connect(width_, &QLineEdit::textEdited, this,
            [this, column](const QString& text) { column() = TypedWidth(FromQString(text)); });
    connect(plus, &QPushButton::clicked, this, [this, column] {
        column() = WidthPlus(column());
        ShowColumn();
    });
    connect(minus, &QPushButton::clicked, this, [this, column] {
        column() = WidthMinus(column());
        ShowColumn();
    });
    connect(load, &QPushButton::clicked, this, &DisplayOptionsForm::Load);
    connect(save, &QPushButton::clicked, this, &DisplayOptionsForm::Save);
    connect(ok, &QPushButton::clicked, this, &DisplayOptionsForm::Confirm);
    connect(cancel, &QPushButton::clicked, this, &DisplayOptionsForm::reject);
    ShowAll();
}

void DisplayOptionsForm::ShowColumn() {
    int column = std::max(0, columns_->currentIndex());
    width_->setText(QString::number(settings_.columnWidths[std::size_t(column)]));
}

void DisplayOptionsForm::ShowAll() {
    if (columns_->currentIndex() < 0) columns_->setCurrentIndex(0);
    ShowColumn();
    (settings_.style == 1 ? relief_ : gradient_)->setChecked(true);
    update();
}

void DisplayOptionsForm::paintEvent(QPaintEvent* event) {
    ModalForm::paintEvent(event);
    QPainter painter(this);
    QtCanvas canvas(painter);
    for (int i = 0; i < kColourAreas; ++i) {
        Rect r = kDisplayAreas[std::size_t(i)];
        canvas.DrawRectangle(r, 1, {0, 0, 0}, true, ColourOf(settings_.colours[std::size_t(i)]));
    }
    for (int sample = 0; sample < kFontSamples; ++sample) {
        Rect r = kDisplayAreas[std::size_t(kColourAreas + sample)];
        int style = SampleStyle(sample, columns_->currentIndex());
        // On the fill it has on the live screen, so that light text on a dark table reads.
        constexpr std::array<std::size_t, kFontSamples> kSampleBack{3, 4, 8, 10};
        canvas.DrawRectangle(r, 1, {0, 0, 0}, true,
                             ColourOf(settings_.colours[kSampleBack[std::size_t(sample)]]));
        TextStyle t;
        t.font = ChooserFont(settings_.textStyles[std::size_t(style)]);
        t.font.height = std::min(t.font.height, r.Height() - 2);  // a sample, not the real size
        t.colour = ColourOf(settings_.textColours[std::size_t(style)]);
        t.align = Align::Centre;
        painter.setClipRect(QRect(r.left + 1, r.top + 1, r.Width() - 2, r.Height() - 2));
        canvas.DrawText({(r.left + r.right) / 2, r.top + 1}, kFontSample, t);
        painter.setClipping(false);
    }
}

void DisplayOptionsForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    QPoint at = event->position().toPoint();
    int area = DisplayAreaAt(at.x(), at.y());
    if (area < 0) return;
    if (area < kColourAreas) {
        std::array<Rgb, 16> custom;
        for (std::size_t i = 0; i < custom.size(); ++i) custom[i] = ColourOf(custom_[i]);
        std::optional<Rgb> chosen =
            dialogs_.ChooseColour(ColourOf(settings_.colours[std::size_t(area)]), custom);
        for (std::size_t i = 0; i < custom.size(); ++i) custom_[i] = ColourRef(custom[i]);
        if (chosen) settings_.colours[std::size_t(area)] = ColourRef(*chosen);
    } else {
        std::size_t style = std::size_t(SampleStyle(area - kColourAreas, columns_->currentIndex()));
        Dialogs::FontAndColour initial{ChooserFont(settings_.textStyles[style]),
                                       ColourOf(settings_.textColours[style])};
        if (auto chosen = dialogs_.ChooseFontAndColour(initial)) {
            TakeChosenFont(settings_.textStyles[style], chosen->font);
            settings_.textColours[style] = ColourRef(chosen->colour);
        }
    }
    update();
}

void DisplayOptionsForm::Load() {
    std::optional<std::string> chosen =
        dialogs_.OpenFile(programFolder_, {kDisplayFileFilter, kDisplayFilePattern});
    if (!chosen) return;
    std::string why;
    switch (ReadDisplayFileChecked(*chosen, settings_, custom_, why, disk_)) {
        case DisplayFileRead::Taken:
            ShowAll();
            break;
        case DisplayFileRead::NotFound:
            messages_.Error(kDisplaySettingsFileNotFound);
            break;
        case DisplayFileRead::Refused:
            messages_.Error("Error: Not a display file, " + why);
            break;
    }
}

void DisplayOptionsForm::Save() {
    std::string initial = programFolder_ + "/" + std::string(kDisplayFilePattern);
    std::optional<std::string> chosen =
        dialogs_.SaveFile(initial, {kDisplayFileFilter, kDisplayFilePattern});
    if (!chosen || *chosen == initial) return;
    const std::string file = WithDisplayExtension(*chosen);
    WriteWatch watch(messages_, disk_, file, kDisplaySettingsFileNotFound);
    watch.Written(WriteDisplaySettings(file, settings_, custom_, disk_));
}

std::string DisplayOptionsForm::SettingsFile() const {
    return programFolder_ + "/" + std::string(kDisplaySettingsFile);
}

bool DisplayOptionsForm::Write() {
    const std::string file = SettingsFile();
    WriteWatch watch(messages_, disk_, file, kDisplaySettingsFileNotFound);
    if (!watch.Written(WriteDisplaySettings(file, settings_, custom_, disk_))) return false;
    window_.raceScreen = FromQString(raceScreen_->currentData().toString());
    if (!WriteWindowSettings(window_, disk_)) {
        messages_.Error(CannotWrite(disk_.LastFault(), kWindowSettingsFile));
        return false;
    }
    return true;
}

void RegisterShellForms(CommandRegistry& commands, const FormHost& host, AppState& state) {
    commands.Add({.id = CommandId::Sounds,
                  .label = "Sounds",
                  .icon = "images/menu1013.bmp",
                  .run = [&host, &state] {
                      {
                          SoundOptionsForm form(host.platform.messages, *host.platform.disk,
                                                host.window);
                          form.Run();
                      }
                      state.sound = SoundSettings{};
                      if (!ReadSoundSettings(state.sound, *host.platform.disk))
                          host.platform.messages.Error(kSoundSettingsFileNotFound);
                      state.engine.soundSettings = state.sound;
                      host.platform.sounds.Reload();  // the calls of another language
                  }});
    commands.Add(
        {.id = CommandId::Display,
         .label = "Display",
         .icon = "images/menu1014.bmp",
         .run = [&host, &state] {
             bool confirmed = false;
             WindowSettings placement;
             {
                 DisplayOptionsForm form(host.platform.dialogs, host.platform.messages,
                                         *host.platform.disk, state.programFolder, host.window);
                 confirmed = form.Run() == QDialog::Accepted;
                 placement = form.Window();
             }
             if (!confirmed) return;
             for (TextStyleSetting& t : state.display.textStyles) t.faceName.Clear();
             if (!ReadDisplaySettings(state.programFolder + "/" + std::string(kDisplaySettingsFile),
                                      state.display, state.customColours, *host.platform.disk)) {
                 host.platform.messages.Error(kDisplaySettingsFileNotFound);
             }
             state.widths = state.display.columnWidths;
             // The new look at once, a run going on or not.
             if (auto* window = qobject_cast<MainWindow*>(host.window)) {
                 QPalette tree = window->Tree()->palette();
                 tree.setColor(QPalette::Base, ToQColor(ColourOf(state.display.colours[1])));
                 window->Tree()->setPalette(tree);
                 window->TakeWindowSettings(placement);
                 window->RemeasureScreens(state.engine.tables.carsInUse);
             }
         }});
}

}  // namespace velkaro
