#include "common/commands.h"

namespace velkaro {

void CommandRegistry::Add(Command command) {
    const CommandId id = command.id;
    if (!commands_.emplace(id, std::move(command)).second) {
        problems_.push_back("command " + std::to_string(ToInt(id)) + " declared twice");
    }
}

const Command* CommandRegistry::Find(CommandId id) const {
    auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : &it->second;
}

bool CommandRegistry::Run(CommandId id) {
    const Command* command = Find(id);
    if (command == nullptr || !command->run) {
        problems_.push_back("command " + std::to_string(ToInt(id)) + " run but never declared");
        return false;
    }
    std::function<void()> run = command->run;  // a handler may register others while it runs
    run();
    return true;
}

bool CommandRegistry::Enabled(CommandId id) const {
    const Command* command = Find(id);
    if (command == nullptr) return false;
    return !command->enabled || command->enabled();
}

void CommandRegistry::Expect(std::span<const CommandId> ids) {
    for (CommandId id : ids) {
        if (Find(id) == nullptr) {
            problems_.push_back("command " + std::to_string(ToInt(id)) +
                                " offered but never declared");
        }
    }
}

}  // namespace velkaro
