#include "databases/editor.h"

namespace velkaro {

bool IsEventWord(std::string_view name) {
    return name == "(NA)" || name == "PisteCourse" ||
           name.find("Cat\xE9gorie") != std::string_view::npos;
}

void ClearCircuitRecord(CircuitRecord& circuit) {
    circuit.recordLapText.Clear();
    circuit.recordHolder.Clear();
    circuit.recordLapTime = 0;
    circuit.recordHours = circuit.recordMinutes = 0;
    circuit.recordSeconds = circuit.recordMilliseconds = 0;
}

}  // namespace velkaro
