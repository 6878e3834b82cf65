#include "link/version.h"

#include "version_info.h"

namespace k740 {

QString ProgramVersion()
{
    return QStringLiteral(K740_VERSION_TEXT);
}

} // namespace k740
