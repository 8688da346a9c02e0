#include "common/commands.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

// A second owner of a command, a command offered that nobody declared and one run that nobody
// declared are each kept for the start-up check; the first owner stays in charge.
TEST(CommandRegistry, DuplicatesAndUnknownIdsAreCaught) {
    CommandRegistry registry;
    int ran = 0;
    registry.Add({.id = CommandId::Save, .label = "Save", .run = [&ran] { ran += 1; }});
    registry.Add({.id = CommandId::Save, .label = "Other", .run = [&ran] { ran += 10; }});
    registry.Add(
        {.id = CommandId::Stop, .label = "Stop", .run = [] {}, .enabled = [] { return false; }});
    const CommandId offered[] = {CommandId::Save, CommandId::Help};
    registry.Expect(offered);
    EXPECT_TRUE(registry.Run(CommandId::Save));
    EXPECT_FALSE(registry.Run(CommandId::Clear));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(registry.Find(CommandId::Save)->label, "Save");
    EXPECT_TRUE(registry.Enabled(CommandId::Save));
    EXPECT_FALSE(registry.Enabled(CommandId::Stop));
    EXPECT_FALSE(registry.Enabled(CommandId::Help));
    EXPECT_EQ(registry.Problems(),
              (std::vector<std::string>{"command 1003 declared twice",
                                        "command 1017 offered but never declared",
                                        "command 2003 run but never declared"}));
}

}  // namespace
}  // namespace velkaro
