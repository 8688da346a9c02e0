// Every form that writes, over a disk that reports no space to any write: Ok keeps the form open
// with what was typed, says the disk is full and changes no file; once space is freed the same Ok
// writes.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "analysis/forms/analysis_forms.h"
#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_forms.h"
#include "event/journal.h"
#include "finals/forms/finals_forms.h"
#include "forms_kit/form_host.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/fake/faulty_disk.h"
#include "platform/program_folder.h"
#include "qualification/forms/classification_forms.h"
#include "qualification/forms/preparation_forms.h"
#include "shell/display_options.h"
#include "shell/options_forms.h"
#include "tests/qualification/classification_fixture.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

// What the user does in a form before pressing its confirming button.
using Typing = std::function<void(QWidget&)>;

template <typename W = QAbstractButton>
W* Control(QWidget& form, int id) {
    W* w = form.findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

Typing Text(int id, const char* text) {
    return [=](QWidget& form) { Control<QLineEdit>(form, id)->setText(text); };
}
Typing Click(int id) {
    return [=](QWidget& form) { Control(form, id)->click(); };
}

class FullDisk : public ::testing::Test {
  public:
    void SetUp() override {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        messages.allowAny = true;
        test::PrepareCategory(messages);
        link.port = &port;
        link.clock = &clock;
        link.disk = &SystemDisk();
        engine.link = &link;
    }

    // Every file of the program folder, by name. The event file's rollback journal holds nothing
    // between changes whatever its bytes: no change pending is what counts for it.
    std::map<std::string, std::string> Files() {
        EXPECT_FALSE(ChangePending(disk, kWorkingCopy));
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
            if (entry.is_regular_file() && entry.path().string() != JournalName(Working())) {
                files[entry.path().string()] = test::ReadWholeFile(entry.path());
            }
        }
        return files;
    }

    std::string Working() const { return (folder.Path() / std::string(kWorkingCopy)).string(); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    FakeClock clock{100000};
    FakeSerialPort port;
    DecoderLink link;
    RunEngine engine;
    FaultyDisk disk{SystemDisk()};
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &disk};
    EventHeader header;
};

// The names of the files that differ between two pictures of the folder.
std::string Changed(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
    std::string names;
    for (const auto& [name, bytes] : after) {
        auto old = before.find(name);
        if (old == before.end() || old->second != bytes) names += " " + name;
    }
    for (const auto& [name, bytes] : before) {
        if (!after.contains(name)) names += " -" + name;
    }
    return names;
}

struct Case {
    const char* form;
    int started;  // the qualification started: the classifications write, the preparation not
    std::function<std::unique_ptr<QDialog>(FullDisk&)> open;
    Typing typing;
    int ok;
    const char* stored = nullptr;  // what was typed, found in a file once written
};

TEST_F(FullDisk, EveryFormStaysOpenWithWhatWasTypedAndWritesOnceSpaceIsFreed) {
    using F = FullDisk;
    const Case cases[] = {
        {"Track", 0, [](F& f) { return std::make_unique<TrackForm>(f.messages, f.disk); },
         Text(kEventNameEdit, "Winter cup"), kConfirmButton, "Winter cup"},
        {"Participants", 0,
         [](F& f) {
             return std::make_unique<ParticipantsForm>(1, f.messages, f.dialogs, f.clock, f.disk);
         },
         [](QWidget& form) {
             Control<QListWidget>(form, kParticipantsList)->setCurrentRow(0);
             Control(form, kRemoveParticipantButton)->click();
         },
         kConfirmButton},
        {"Qualifying options", 0,
         [](F& f) { return std::make_unique<QualifOptionsForm>(1, f.messages, f.disk); },
         [](QWidget& form) {
             Control(form, 4403)->click();
             Control<QLineEdit>(form, kRunLapsEdit)->setText("12");
         },
         kConfirmButton},
        {"Arrangement", 0,
         [](F& f) {
             return std::make_unique<ArrangementForm>(1, f.messages, f.dialogs, f.clock, f.sounds,
                                                      f.disk);
         },
         Text(kDriversPerHeatEdit, "2"), kConfirmButton},
        {"Grids", 0, [](F& f) { return std::make_unique<GridsForm>(1, f.messages, f.disk); },
         Text(kFirstGridEdit + 1, "CBA"), kConfirmButton},
        {"Round classification", 1,
         [](F& f) { return std::make_unique<RoundClassificationForm>(1, 1, f.platform); },
         Text(kFirstScaleEdit + 1, "3"), 1},
        {"Overall classification", 1,
         [](F& f) { return std::make_unique<OverallClassificationForm>(1, f.platform); },
         Text(kBestRoundsEdit, "1"), 1},
        {"Finals arrangement", 1,
         [](F& f) {
             return std::make_unique<FinalsArrangementForm>(1, f.header, f.messages, f.disk);
         },
         [](QWidget&) {}, 1},
        {"Finals options", 1,
         [](F& f) { return std::make_unique<FinalsOptionsForm>(1, f.header, f.messages, f.disk); },
         Click(4905), 1},
        {"Swap lanes", 1,
         [](F& f) {
             return std::make_unique<SwapLanesForm>(1, 1, 'A', f.header, f.engine, f.messages,
                                                    f.disk);
         },
         [](QWidget&) {}, 1},
        {"Drivers", 0,
         [](F& f) {
             return std::make_unique<DriversForm>(kDriversEditor, f.messages, f.dialogs, f.disk);
         },
         [](QWidget& form) {
             Control<QLineEdit>(form, kNewEditId)->setText("Zed Full");
             Control(form, kAddButtonId)->click();
         },
         kOkId, "Zed Full"},
        {"Transponder sets", 0,
         [](F& f) { return std::make_unique<TranspondersForm>(f.messages, f.disk); },
         Text(kFirstSetTransponderId + 2, "004821"), kOkId, "004821"},
        {"Driver's details", 0,
         [](F& f) {
             return std::make_unique<DriverDetailsForm>(1, 0, f.link, f.engine, f.messages, f.disk);
         },
         Text(kDriverTransponderId, "004242"), kOkId, "004242"},
        {"Comment", 0, [](F& f) { return std::make_unique<CommentForm>(f.messages, f.disk); },
         Text(kCommentField, "Rain from lap 3"), 1, "Rain from lap 3"},
        {"Sound options", 0,
         [](F& f) { return std::make_unique<SoundOptionsForm>(f.messages, f.disk); }, Click(3709),
         1},
        {"Display options", 0,
         [](F& f) {
             return std::make_unique<DisplayOptionsForm>(f.dialogs, f.messages, f.disk,
                                                         f.folder.Path().string());
         },
         Click(kWidthPlus), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        test::SetCategory(c.started, 0);
        ASSERT_EQ(ReadEventHeader(header, SystemDisk()), FileOutcome::Done);
        std::unique_ptr<QDialog> form = c.open(*this);
        c.typing(*form);
        const auto before = Files();

        disk.noSpace = true;
        messages.shown.clear();
        Control(*form, c.ok)->click();
        EXPECT_NE(form->result(), QDialog::Accepted) << "closed on a failed write";
        EXPECT_EQ(Changed(before, Files()), "");
        bool told = false;
        for (const FakeMessages::Shown& m : messages.shown) {
            told = told || m.text.find("Error: The disk is full: ") == 0;
        }
        EXPECT_TRUE(told) << (messages.shown.empty() ? "no message" : messages.shown[0].text);

        disk.noSpace = false;
        Control(*form, c.ok)->click();
        EXPECT_EQ(form->result(), QDialog::Accepted);
        const auto after = Files();
        EXPECT_FALSE(after == before) << "nothing written once space was freed";
        if (c.stored == nullptr) continue;
        bool found = false;
        for (const auto& [name, bytes] : after) {
            auto old = before.find(name);
            const bool changed = old == before.end() || old->second != bytes;
            found = found || (changed && bytes.find(c.stored) != std::string::npos);
        }
        EXPECT_TRUE(found) << c.stored << " not written";
    }
}

}  // namespace
}  // namespace velkaro
