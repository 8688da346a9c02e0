// Every text field of every form takes only what its file can hold, and says so when it refuses.

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringEncoder>

#include <memory>

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "analysis/forms/analysis_forms.h"
#include "databases/database_files.h"
#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_forms.h"
#include "finals/forms/finals_forms.h"
#include "forms_kit/form_kit.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "qualification/forms/classification_forms.h"
#include "qualification/forms/preparation_forms.h"
#include "shell/live_options.h"
#include "shell/main_window.h"
#include "shell/notice_log_form.h"
#include "shell/options_forms.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_support.h"
#include "timing/forms/interface_form.h"

namespace velkaro {
namespace {

// Typed one key at a time, the way a keyboard layout with these letters sends them.
void Type(QLineEdit& edit, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
}

bool Storable(const QString& text) {
    QStringEncoder encoder("Windows-1252");
    (void)QByteArray(encoder.encode(text));
    return !encoder.hasError() && !text.contains('\t') && !text.contains('\n') &&
           !text.contains('\r');
}

class HostileText : public ::testing::Test, public test::FormsDesk {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        messages.allowAny = true;
    }

    // Every editable field under `form` is labelled and guarded; each hostile text typed or
    // pasted into a guarded one leaves it as it was, and each refusal is told. Returns the number
    // of guarded fields.
    int Check(QWidget& form) {
        form.ensurePolished();
        const std::string name = form.objectName().toStdString();
        // Every field is labelled: a name for the director's tools that is not its id.
        for (QWidget* w : form.findChildren<QWidget*>()) {
            if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w) &&
                !qobject_cast<QAbstractSpinBox*>(w)) {
                continue;
            }
            EXPECT_FALSE(w->accessibleName().trimmed().isEmpty())
                << name << " " << w->objectName().toStdString();
            EXPECT_NE(w->accessibleName(), w->objectName()) << name;
        }
        int guarded = 0;
        for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
            const std::string id = name + " " + edit->objectName().toStdString();
            if (edit->isReadOnly()) continue;
            EXPECT_NE(edit->validator(), nullptr) << id;
            const auto* guard = dynamic_cast<const TextGuard*>(edit->validator());
            if (guard == nullptr) continue;  // a number field, with its own rules
            ++guarded;
            const int limit = guard->Limit();
            const bool digits = guard->Kind() == TextGuard::Takes::Digits;
            struct Case {
                QString text;
                bool paste;
            };
            const Case cases[] = {
                {QString::fromUtf16(u"\u0142"), false},   // l with stroke
                {QString::fromUtf16(u"\u0158"), false},   // R with caron
                {QString::fromUtf16(u"12\u5C71"), true},  // one bad character refuses all
                {digits ? "12a" : "", true},
                {"Team\tA", true},
                {"one\ntwo", true},
                {"one\r\ntwo", true},
                {QString(limit == 0 ? 0 : limit + 1, digits ? '7' : 'W'), true},
            };
            for (const Case& c : cases) {
                if (c.text.isEmpty()) continue;
                edit->setText("");
                const QString held = edit->text();  // a number field may show 0
                const std::size_t before = messages.shown.size();
                if (c.paste) {
                    edit->insert(c.text);
                } else {
                    Type(*edit, c.text);
                }
                const std::string where = id + " " + c.text.toStdString();
                EXPECT_EQ(edit->text(), held) << where;
                EXPECT_EQ(messages.shown.size(), before + 1) << where;
            }
            // What the field may hold goes in as typed, up to the slot's length exactly (a number
            // the form then brings within its range aside).
            const QString fits =
                (digits ? QString("9876") : QString::fromUtf16(u"\u0160\u017E\u00E9W"))
                    .left(limit == 0 ? 4 : limit);
            edit->setText("");
            const std::size_t before = messages.shown.size();
            Type(*edit, fits);
            EXPECT_TRUE(digits || edit->text() == fits) << id;
            if (limit != 0 && !digits) {
                edit->setText("");
                edit->insert(QString(limit, digits ? '7' : 'W'));
                EXPECT_EQ(edit->text().size(), limit) << id;
            }
            EXPECT_EQ(messages.shown.size(), before) << id;
            EXPECT_TRUE(Storable(edit->text())) << id;
        }
        return guarded;
    }
};

TEST_F(HostileText, EveryTextFieldOfEveryForm) {
    ASSERT_EQ(CreateNewEventFile("TOURING", SystemDisk()), FileOutcome::Done);
    Disk& disk = *platform.disk;
    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
    link.disk = platform.disk;
    RunEngine engine;
    AppState state;
    state.event.header.categoryCount = 1;
    PlanningMemory planning;
    int analysisView = 0;
    MainWindow window(platform);
    window.show();
    QTreeWidgetItem* category = nullptr;
    for (QTreeWidgetItemIterator it(window.Tree()); *it && !category; ++it) {
        if ((*it)->flags() & Qt::ItemIsEditable) category = *it;
    }
    ASSERT_NE(category, nullptr);
    window.Tree()->editItem(category, 0);  // the rename editor
    struct Form {
        std::unique_ptr<QWidget> form;
        bool guards;  // takes names, texts or guarded digits, not only numbers of its own
    };
    Form forms[] = {
        {std::make_unique<InterfaceForm>(link, messages), false},
        {std::make_unique<ClubsForm>(kClubsEditor, messages, dialogs, disk), true},
        {std::make_unique<CircuitsForm>(kCircuitsEditor, messages, dialogs, disk), true},
        {std::make_unique<DriversForm>(kDriversEditor, messages, dialogs, disk), true},
        {std::make_unique<FrequenciesForm>(kFrequenciesEditor, messages, dialogs, disk), true},
        {std::make_unique<TranspondersForm>(messages, disk), false},
        {std::make_unique<DriverDetailsForm>(1, 0, link, engine, messages, disk), false},
        {std::make_unique<FinalsArrangementForm>(1, state.event.header, messages, disk), false},
        {std::make_unique<FinalsOptionsForm>(1, state.event.header, messages, disk), false},
        {std::make_unique<ClosureReportForm>(1, state.track, dialogs, clock, messages, disk),
         false},
        {std::make_unique<QualifPlanningForm>(planning, messages), true},
        {std::make_unique<FinalsPlanningForm>(planning, messages), true},
        {std::make_unique<DriverAnalysisForm>(analysisView, platform), true},
        {std::make_unique<RunDetailsForm>(messages, disk), false},
        {std::make_unique<CommentForm>(messages, disk), true},
        {std::make_unique<SoundOptionsForm>(messages, disk), false},
        {std::make_unique<DisplayOptionsForm>(dialogs, messages, disk, folder.Path().string()),
         false},
        {std::make_unique<LiveOptionsForm>(messages, disk, "http://127.0.0.1:8080/"), false},
        {std::make_unique<TrackForm>(messages, disk), true},
        {std::make_unique<ParticipantsForm>(1, messages, dialogs, clock, disk), false},
        {std::make_unique<QualifOptionsForm>(1, messages, disk), false},
        {std::make_unique<ArrangementForm>(1, messages, dialogs, clock, sounds, disk), false},
        {std::make_unique<GridsForm>(1, messages, disk), false},
        {std::make_unique<RoundClassificationForm>(1, 1, platform), false},
        {std::make_unique<OverallClassificationForm>(1, platform), false},
        {std::make_unique<NoticeLogForm>(NoticeLog{}, clock, messages), false},
    };
    EXPECT_EQ(Check(window), 1) << "the race panel's fields, the rename editor";
    for (const Form& f : forms) {
        const int guarded = Check(*f.form);
        EXPECT_TRUE(!f.guards || guarded > 0) << f.form->objectName().toStdString();
    }
}

TEST_F(HostileText, ADuplicateIsToldNotSkipped) {
    auto twice = [this](QWidget&& form, const char* typed) {
        auto* name = form.findChild<QLineEdit*>(QString::number(kNewEditId));
        auto* add = form.findChild<QPushButton*>(QString::number(kAddButtonId));
        ASSERT_TRUE(name && add);
        const std::size_t before = messages.shown.size();
        for (int k = 0; k < 2; ++k) {
            name->setText(typed);
            add->click();
        }
        ASSERT_EQ(messages.shown.size(), before + 1) << typed;
        EXPECT_EQ(messages.shown.back().text,
                  "\"" + std::string(typed) + "\" is already in the list.");
    };
    twice(ClubsForm(kClubsEditor, messages, dialogs, SystemDisk()), "ZZ CLUB");
    twice(CircuitsForm(kCircuitsEditor, messages, dialogs, SystemDisk()), "ZZ TRACK");
    twice(FrequenciesForm(kFrequenciesEditor, messages, dialogs, SystemDisk()), "99.999");
    twice(DriversForm(kDriversEditor, messages, dialogs, SystemDisk()), "ZZYZX TESTER");

    auto table = std::make_unique<DriverTable>();
    (*table)[0].name = Text<40>("ZZYZX TESTER");
    ASSERT_TRUE(SaveDrivers(*table, 1, SystemDisk()));
    ASSERT_EQ(CreateNewEventFile("TOURING", SystemDisk()), FileOutcome::Done);
    ParticipantsForm participants(1, messages, dialogs, clock, SystemDisk());
    auto* database = participants.findChild<QListWidget*>(QString::number(kDatabaseList));
    auto* enter = participants.findChild<QPushButton*>(QString::number(kAddParticipantButton));
    ASSERT_TRUE(database && enter);
    ASSERT_GT(database->count(), 0);
    database->setCurrentRow(0);
    const std::size_t before = messages.shown.size();
    enter->click();
    enter->click();
    ASSERT_EQ(messages.shown.size(), before + 1);
    EXPECT_EQ(messages.shown.back().text,
              "\"" + database->item(0)->text().toStdString() + "\" is already a participant.");
}

// A drivers file holding a line no record can hold: the editor says which line and why, and the
// director chooses between leaving the file as it is and writing it without that line.
TEST_F(HostileText, AFlawedDatabaseLineIsToldBeforeTheFileIsRewritten) {
    const std::string file = "BaseDonn\u00E9esPilotes.bd";
    const std::string bytes = "ANNE\t\r\nB\x01OB\t\r\nCID\t\r\n";
    test::WriteWholeFile(folder.Path() / file, bytes);
    messages.allowAny = false;
    messages.onUnexpected = [](const FakeMessages::Shown& s) { ADD_FAILURE() << s.text; };
    messages.Expect(MessageAnswer::No);
    {
        DriversForm declined(kDriversEditor, messages, dialogs, SystemDisk());
        EXPECT_EQ(declined.Run(), QDialog::Rejected);  // does not show
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_NE(messages.shown[0].text.find("line 2, name: holds a control byte (0x01)"),
                  std::string::npos);
        declined.findChild<QPushButton*>(QString::number(kOkId))->click();
    }
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / file), bytes);

    messages.Expect(MessageAnswer::Yes);
    DriversForm accepted(kDriversEditor, messages, dialogs, SystemDisk());
    EXPECT_FALSE(accepted.Declined());
    EXPECT_EQ(accepted.findChild<QListWidget*>(QString::number(kNameListId))->count(), 2);
    accepted.findChild<QPushButton*>(QString::number(kOkId))->click();
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / file).find("OB"), std::string::npos);
}

}  // namespace
}  // namespace velkaro
