#pragma once
#include <QByteArray>
#include <QImage>

namespace k740 {

// Encodes `image` as a baseline JPEG with libjpeg at `quality` (0 to 100):
// one grey channel when the image is greyscale, RGB otherwise. Empty when
// the image is null or libjpeg fails.
QByteArray EncodeJpeg(const QImage& image, int quality);

} // namespace k740
