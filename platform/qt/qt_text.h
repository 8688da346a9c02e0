#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velkaro {

// The Qt boundary of the Windows-1252 bytes the logic keeps.
QString ToQString(std::string_view cp1252);
// Characters the code page lacks become '?'.
std::string FromQString(const QString& text);

}  // namespace velkaro
