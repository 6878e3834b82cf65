#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace k740 {

// Decodes a JPEG picture with libjpeg; a null image when the data is not a
// readable JPEG.
QImage DecodeJpeg(const QByteArray& data);
// Decodes the JPEG resource or file at `path`.
QImage LoadJpeg(const QString& path);

} // namespace k740
