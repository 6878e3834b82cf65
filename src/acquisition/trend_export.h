#pragma once
#include "acquisition/trend_buffer.h"

#include <QByteArray>
#include <cstdint>

namespace k740 {

// The cycles from fromUs to toUs as the CSV of a recording of the stream
// of cycles: its header, then one row per cycle, the seconds counted from
// the first row.
QByteArray TrendCsv(const TTrendBuffer& buffer, int64_t fromUs, int64_t toUs);

} // namespace k740
