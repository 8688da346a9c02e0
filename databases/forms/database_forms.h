#pragma once

#include <cstdint>

#include "databases/transponder_sets.h"
#include "event/event_model.h"
#include "event/sections.h"
#include "timing/decoder_link.h"
#include "timing/run_control.h"

namespace velkaro {

// What the database forms read and change of the application: the circuits (in the engine) and
// the event's circuit among them, the transponder sets, and the selected driver node.
struct DatabaseFormsContext {
    RunEngine& engine;
    std::int32_t& circuitIndex;
    const TrackRecord& track;
    TransponderSets& transponderSets;
    const EventHeader& header;
    DecoderLink& link;
};

struct FormHost;
class CommandRegistry;

// The "Database" menu's editors, and the driver's details of a driver node. The circuits and the
// transponder sets are read afresh once their editors close.
void RegisterDatabaseForms(CommandRegistry& commands, const FormHost& host,
                           DatabaseFormsContext context);

}  // namespace velkaro
