#pragma once

namespace velkaro {

struct FormHost;
class CommandRegistry;

// The "Database" menu's editors, and the driver's details of a driver node. The main window gets
// the circuits and the transponder sets afresh once their editors close.
void RegisterDatabaseForms(CommandRegistry& commands, FormHost& host);

}  // namespace velkaro
