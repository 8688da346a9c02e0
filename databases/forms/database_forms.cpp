#include "databases/forms/database_forms.h"

#include <QComboBox>
#include <QWidget>

#include "databases/circuits_file.h"
#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_forms.h"
#include "forms_kit/form_host.h"
#include "platform/qt/qt_text.h"

namespace velkaro {

namespace {

template <typename Table>
void Edit(const EditorKind<Table>& kind, const FormHost& host) {
    EditorForm<Table> form(kind, host.platform.messages, host.platform.dialogs, *host.platform.disk,
                           host.window);
    form.Run();
}

}  // namespace

void RegisterDatabaseForms(CommandRegistry& commands, const FormHost& host,
                           DatabaseFormsContext context) {
    commands.Add({.id = CommandId::Circuits,
                  .label = "Circuits",
                  .icon = "images/menu1006.bmp",
                  .run = [&host, context] {
                      Edit(kCircuitsEditor, host);
                      // The event's circuit may have moved, or gone.
                      CircuitTable& circuits = context.engine.circuits;
                      circuits = {};
                      if (!LoadCircuits(circuits, *host.platform.disk)) {
                          host.platform.messages.Error(kCircuitsFileNotFound);
                      }
                      context.circuitIndex = FindCircuit(circuits, context.track.circuit.View());
                  }});
    commands.Add({.id = CommandId::Clubs,
                  .label = "Clubs",
                  .icon = "images/menu1007.bmp",
                  .run = [&host, context] { Edit(kClubsEditor, host); }});
    commands.Add({.id = CommandId::Drivers,
                  .label = "Drivers",
                  .icon = "images/menu1008.bmp",
                  .run = [&host, context] { Edit(kDriversEditor, host); }});
    commands.Add({.id = CommandId::Frequencies,
                  .label = "Frequencies",
                  .icon = "images/menu1010.bmp",
                  .run = [&host, context] { Edit(kFrequenciesEditor, host); }});
    commands.Add(
        {.id = CommandId::Transponders,
         .label = "Transponders",
         .icon = "images/menu1009.bmp",
         .run = [&host, context] {
             TranspondersForm form(host.platform.messages, *host.platform.disk, host.window);
             form.Run();
             TransponderSets& sets = context.transponderSets;
             sets = {};
             if (!LoadTransponderSets(sets, *host.platform.disk)) {
                 host.platform.messages.Error(kTransponderSetsFileNotFound);
             }
             if (host.window == nullptr) return;
             auto* list = host.window->findChild<QComboBox*>(QString::number(kTransponderSetList));
             if (list == nullptr) return;
             int chosen = list->currentIndex();
             list->clear();
             for (const TransponderSet& set : sets) list->addItem(ToQString(set.name.View()));
             list->setCurrentIndex(chosen);
         }});
    commands.Add(
        {.id = CommandId::DriverDetails, .label = "Driver details", .run = [&host, context] {
             DriverNode node = DriverNodeOf(context.header.selectedNode);
             if (node.category < 1 || node.slot < 0 || node.slot >= kParticipants) return;
             RunEngine& engine = context.engine;
             // The form reads the decoder itself: the idle tick of the main window, which would
             // throw the bytes away, leaves the port alone meanwhile.
             engine.transpondersFormOpen = true;
             DriverDetailsForm form(node.category, node.slot, context.link, engine,
                                    host.platform.messages, *host.platform.disk, host.window);
             form.Run();
             engine.transpondersFormOpen = false;
         }});
}

}  // namespace velkaro
