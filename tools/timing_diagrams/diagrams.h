#pragma once
#include <QImage>

namespace k740 {

// The timing diagrams of the two absolute-encoder interfaces, greyscale, at
// the size the timing-diagram window shows them.
QImage PaintSsiDiagram();  // 1012 x 257
QImage PaintBissDiagram(); // 978 x 194

} // namespace k740
