#pragma once
#include <QString>

namespace k740 {

// The program's four-number version, e.g. "1.0.0.0".
QString ProgramVersion();

} // namespace k740
