#include "databases/forms/database_forms.h"

#include "databases/circuits_file.h"
#include "databases/forms/editor_form.h"
#include "shell/form_host.h"

namespace velkaro {

namespace {

template <typename Table>
void Edit(const EditorKind<Table>& kind, FormHost& host) {
    EditorForm<Table> form(kind, host.platform.messages, host.platform.dialogs, host.window,
                           *host.platform.disk);
    form.Run();
}

}  // namespace

void RegisterDatabaseForms(CommandRegistry& commands, FormHost& host) {
    commands.Add(kCircuitsCommand, [&host] {
        Edit(kCircuitsEditor, host);
        // The event's circuit may have moved, or gone.
        CircuitTable& circuits = host.state.engine.circuits;
        circuits = {};
        if (!LoadCircuits(circuits, *host.platform.disk)) {
            host.platform.messages.Error(kCircuitsFileNotFound);
        }
        host.state.circuitIndex = FindCircuit(circuits, host.state.track.circuit.View());
    });
    commands.Add(kClubsCommand, [&host] { Edit(kClubsEditor, host); });
    commands.Add(kDriversCommand, [&host] { Edit(kDriversEditor, host); });
    commands.Add(kFrequenciesCommand, [&host] { Edit(kFrequenciesEditor, host); });
}

}  // namespace velkaro
