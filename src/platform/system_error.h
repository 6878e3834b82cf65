#pragma once
#include <QString>

namespace k740 {

// The system's description of an error number ("No space left on device").
QString SystemErrorText(int errorNumber);

// Why a file that must be a regular one (a settings file, a log) is refused.
QString NotRegularFileText();

} // namespace k740
