#include "event/resume.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "event/sections.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

class Resume : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        std::filesystem::create_directories(folder_.Path() / "Private/Crash");
        ASSERT_EQ(CreateNewEventFile("CATEGORY 1", SystemDisk()), FileOutcome::Done);
        blank_ = WorkingCopy();
    }
    // An event that differs from every other made by this call.
    std::string Event(int k) {
        EventHeader h;
        EXPECT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
        h.categories[0].participants = k;
        EXPECT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
        return WorkingCopy();
    }
    LocalDateTime At(int second) { return {2026, 12, 6, 3, 12, second, 0, 0}; }
    std::string Listed() {
        CrashCopies c = ReadCrashCopies(SystemDisk());
        std::string out;
        for (int i = 0; i < c.count; ++i) out += std::string(c.names[std::size_t(i)].View()) + "|";
        return out;
    }
    std::string blank_;
};

TEST_F(Resume, WhatHoldsAnEvent) {
    std::string renamed = blank_;
    renamed.replace(renamed.find("CATEGORY 1"), 10, "TOURING 1 ");
    TrackRecord track;
    track.eventName = "Club day";
    ASSERT_EQ(WriteTrack(track, messages_, SystemDisk()), FileOutcome::Done);
    const std::string withTrack = WorkingCopy();
    SetWorkingCopy(blank_);
    struct Case {
        const char* name;
        std::string bytes;
        bool event;
    } cases[] = {
        {"blank", blank_, false},
        {"empty", "", false},
        {"line ends", "\r\n", false},
        {"renamed only", renamed, false},
        {"a driver", Event(1), true},
        {"a track", withTrack, true},
        {"not an event file", "PK\x03\x04", true},
    };
    for (const Case& c : cases) EXPECT_EQ(HoldsAnEvent(c.bytes), c.event) << c.name;
}

TEST_F(Resume, TenDistinctCopiesAreKeptAndABlankNeverReplacesOne) {
    EXPECT_EQ(KeepCrashCopy(At(0), SystemDisk()), CrashCopy::Blank);
    EXPECT_EQ(Listed(), "");
    std::string events[12];
    for (int k = 0; k < 12; ++k) {
        events[k] = Event(k + 1);
        ASSERT_EQ(KeepCrashCopy(At(k), SystemDisk()), CrashCopy::Kept) << k;
    }
    EXPECT_EQ(KeepCrashCopy(At(30), SystemDisk()), CrashCopy::Unchanged);
    SetWorkingCopy(blank_);
    EXPECT_EQ(KeepCrashCopy(At(31), SystemDisk()), CrashCopy::Blank);

    std::string expected;
    for (int k = 2; k < 12; ++k) {
        std::string name = CrashCopyName(At(k));
        expected += name + "|";
        EXPECT_EQ(File(name), events[k]) << name;
    }
    EXPECT_EQ(Listed(), expected);
    EXPECT_EQ(CrashCopyName(At(2)), "Private/Crash/2026-12-06 03-12-02 Course.race");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder_.Path() / "Private/Crash")) {
        files += e.path().extension() == ".race";
    }
    EXPECT_EQ(files, 10);
}

TEST_F(Resume, RecentEventsNewestFirstEachOnce) {
    RecentEvents recent;
    for (const char* path : {"/a.race", "/b.race", "/a.race", "/c\xE9.race"}) {
        NoteRecentEvent(recent, path);
    }
    ASSERT_TRUE(WriteRecentEvents(recent, SystemDisk()));
    NoteRecentEvent(recent, "");
    RecentEvents back = ReadRecentEvents(SystemDisk());
    std::string listed = std::string(back.current.View()) + ":";
    for (int i = 0; i < back.count; ++i)
        listed += std::string(back.files[std::size_t(i)].View()) + "|";
    EXPECT_EQ(listed, "/c\xE9.race:/c\xE9.race|/a.race|/b.race|");
    EXPECT_TRUE(recent.current.Empty());
    for (int k = 0; k < 12; ++k) NoteRecentEvent(recent, "/" + std::to_string(k) + ".race");
    EXPECT_EQ(recent.count, kRecentEventsKept);
    EXPECT_EQ(recent.files[kRecentEventsKept - 1].View(), "/4.race");
}

}  // namespace
}  // namespace velkaro
