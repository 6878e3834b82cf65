#include "platform/version.h"

#include "version_info.h"

QString ProgramVersion()
{
    return QStringLiteral(K740_VERSION_TEXT);
}
