#pragma once

namespace k740 {

// The header of the CSV rows of cycles: the streams handed to other
// programs, `k740-position --record` and the trend window's export.
inline constexpr char kCycleRowColumns[] = "seconds,cycle,raw,value,text,valid,crc";

} // namespace k740
