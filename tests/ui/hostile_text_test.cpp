// Every text field of every form takes only what its file can hold, and says so when it refuses.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringEncoder>

#include <memory>

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
#include "qualification/forms/preparation_forms.h"
#include "shell/live_options.h"
#include "shell/options_forms.h"
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

class HostileText : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        messages.allowAny = true;
    }

    // Each hostile text into each guarded field of the form: the field keeps what it held, and
    // each refusal is told.
    void Check(QWidget& form) {
        form.ensurePolished();
        const std::string name = form.objectName().toStdString();
        int guarded = 0;
        for (QLineEdit* edit : form.findChildren<QLineEdit*>()) {
            if (edit->isReadOnly()) continue;
            ASSERT_NE(edit->validator(), nullptr)
                << name << " " << edit->objectName().toStdString();
            const auto* guard = dynamic_cast<const TextGuard*>(edit->validator());
            if (guard == nullptr) continue;  // a number field, with its own rules
            ++guarded;
            const int limit = guard->Limit();
            struct Case {
                QString text;
                bool paste;
            };
            const Case cases[] = {
                {QString::fromUtf16(u"\u0142"), false},   // l with stroke
                {QString::fromUtf16(u"\u0158"), false},   // R with caron
                {QString::fromUtf16(u"ok\u5C71"), true},  // one bad character refuses all
                {"Team\tA", true},
                {"one\ntwo", true},
                {"one\r\ntwo", true},
                {QString(limit == 0 ? 0 : limit + 1, 'W'), true},
            };
            for (const Case& c : cases) {
                if (c.text.isEmpty()) continue;
                edit->setText("");
                const std::size_t before = messages.shown.size();
                if (c.paste) {
                    edit->insert(c.text);
                } else {
                    Type(*edit, c.text);
                }
                const std::string where =
                    name + " " + edit->objectName().toStdString() + " " + c.text.toStdString();
                EXPECT_EQ(edit->text().toStdString(), "") << where;
                EXPECT_EQ(messages.shown.size(), before + 1) << where;
            }
            // What the code page holds goes in as typed, up to the slot's length exactly.
            const QString fits =
                QString::fromUtf16(u"\u0160\u017E\u00E9W").left(limit == 0 ? 4 : limit);
            edit->setText("");
            const std::size_t before = messages.shown.size();
            Type(*edit, fits);
            EXPECT_EQ(edit->text(), fits) << name << " " << edit->objectName().toStdString();
            if (limit != 0) {
                edit->setText("");
                edit->insert(QString(limit, 'W'));
                EXPECT_EQ(edit->text().size(), limit) << name;
            }
            EXPECT_EQ(messages.shown.size(), before) << name;
            EXPECT_TRUE(Storable(edit->text())) << name;
        }
        EXPECT_GT(guarded, 0) << name;
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    FakeSerialPort port;
};

TEST_F(HostileText, EveryTextFieldOfEveryForm) {
    ASSERT_EQ(CreateNewEventFile("TOURING", SystemDisk()), FileOutcome::Done);
    ClubsForm clubs(kClubsEditor, messages, dialogs, SystemDisk());
    CircuitsForm circuits(kCircuitsEditor, messages, dialogs, SystemDisk());
    DriversForm drivers(kDriversEditor, messages, dialogs, SystemDisk());
    FrequenciesForm frequencies(kFrequenciesEditor, messages, dialogs, SystemDisk());
    PlanningMemory planning;
    QualifPlanningForm qualifPlanning(planning, messages);
    FinalsPlanningForm finalsPlanning(planning, messages);
    CommentForm comment(messages, SystemDisk());
    for (QWidget* form :
         std::initializer_list<QWidget*>{&clubs, &circuits, &drivers, &frequencies, &qualifPlanning,
                                         &finalsPlanning, &comment}) {
        Check(*form);
    }
}

TEST_F(HostileText, ADuplicateIsToldNotSkipped) {
    DriversForm drivers(kDriversEditor, messages, dialogs, SystemDisk());
    auto* name = drivers.findChild<QLineEdit*>(QString::number(kNewEditId));
    auto* add = drivers.findChild<QPushButton*>(QString::number(kAddButtonId));
    ASSERT_TRUE(name && add);
    for (int k = 0; k < 2; ++k) {
        name->setText("ZZYZX TESTER");
        add->click();
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "\"ZZYZX TESTER\" is already in the list.");

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
    enter->click();
    enter->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text,
              "\"" + database->item(0)->text().toStdString() + "\" is already a participant.");
}

}  // namespace
}  // namespace velkaro
