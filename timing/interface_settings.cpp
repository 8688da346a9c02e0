#include "timing/interface_settings.h"

#include <optional>
#include <string>

#include "event/text_lines.h"

namespace velkaro {

bool ReadInterfaceSettings(InterfaceSettings& settings, Disk& disk) {
    settings.port.Clear();
    settings.interfaceType.Clear();
    std::optional<std::string> bytes = ReadTextFile(kInterfaceSettingsFile, disk);
    if (!bytes) return false;
    WordReader words(*bytes);
    std::string_view word;
    if (!words.Next(word)) return true;
    settings.port.Assign(word);
    if (!words.Next(word) || !StartsWithNumber(word)) return true;
    settings.ready = ParseInt(word);
    if (words.Next(word)) settings.interfaceType.Assign(word);
    return true;
}

bool WriteInterfaceSettings(const InterfaceSettings& settings, Disk& disk) {
    std::string out;
    AppendField(out, settings.port.View());
    AppendIntField(out, settings.ready);
    out.append(settings.ready == 0 ? kMk1Type : settings.interfaceType.View());  // no TAB after it
    EndLine(out);
    return WriteTextFile(kInterfaceSettingsFile, out, disk);
}

}  // namespace velkaro
