#pragma once

// The main window over the fake platform in a program folder of its own, and the ways the window
// tests reach into it: a form's modal loop and a node of the event tree.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <vector>

#include "common/commands.h"
#include "event/event_file.h"
#include "event/event_model.h"
#include "platform/clock.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "shell/main_window.h"
#include "tests/support/test_support.h"

namespace velkaro::test {

// What a test of forms without the main window gives them: a program folder of its own, fakes
// for the user and the devices, the real clock, the system disk.
struct FormsDesk {
    TempFolder folder;
    ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    FakeSerialPort port;
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
};

struct FakeShell {
    // The shipped program folder seeded, any message box not expected a failure, the window up.
    void ShowWindow(const char* shippedData) {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), shippedData).ok);
        FailOnUnexpectedMessages(messages);
        w = std::make_unique<MainWindow>(platform);
        w->show();
    }

    // The working copy the test prepared, its header changed by `change`, loaded as the user's
    // own event file, the question whether to save the one on screen answered No.
    template <typename Change>
    void LoadPrepared(Change change) {
        EventHeader h;
        ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
        change(h);
        ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
        ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, folder / "club.race", SystemDisk()));
        dialogs.openAnswers.push_back(folder / "club.race");
        messages.Expect(MessageAnswer::No);
        w->RunCommand(CommandId::LoadEvent);
    }

    TempFolder folder;
    ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    FakeClock clock;
    FakeSerialPort port;
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    std::unique_ptr<MainWindow> w;
};

// Runs `inside` in the modal loop of the form that `open` shows.
template <typename Open, typename Inside>
void WhileOpen(Open open, Inside inside) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* form = QApplication::activeModalWidget();
        ASSERT_NE(form, nullptr);
        inside(*form);
        ran = true;
    });
    open();
    EXPECT_TRUE(ran);
}

template <typename Inside>
void WhileOpen(MainWindow& w, CommandId command, Inside inside) {
    WhileOpen([&] { w.RunCommand(command); }, inside);
}

inline QTreeWidgetItem* FindNode(QTreeWidget* tree, int code) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == code) return *it;
    }
    return nullptr;
}

// Runs each step in the modal loop of the form opened next, the first one's by `open`: a form
// whose confirmation opens the next one (the arrangement, then the grids) is followed through.
inline void WhileOpenSteps(const std::function<void()>& open,
                           std::vector<std::function<void(QWidget&)>> steps) {
    std::size_t ran = 0;
    std::function<void()> next = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* form = QApplication::activeModalWidget();
            ASSERT_NE(form, nullptr) << "no form for step " << ran;
            if (ran + 1 < steps.size()) next();
            steps[ran++](*form);
        });
    };
    next();
    open();
    EXPECT_EQ(ran, steps.size());
}

}  // namespace velkaro::test
