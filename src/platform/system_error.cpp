#include "platform/system_error.h"

#include <cstring>

namespace k740 {

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString NotRegularFileText()
{
    return QStringLiteral("Not a regular file");
}

} // namespace k740
