// Paints the SSI and BiSS-C timing diagrams and writes them as greyscale
// JPEG files: timing_diagrams <ssi.jpg> <biss.jpg>
#include "diagrams.h"
#include "jpeg_writer.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {
constexpr int kQuality = 90;

bool Write(const QImage& picture, const char* path)
{
    const QByteArray jpeg = k740::EncodeJpeg(picture, kQuality);
    QFile file(QString::fromLocal8Bit(path));
    if (jpeg.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size()) {
        std::fprintf(stderr, "timing_diagrams: cannot write %s\n", path);
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: timing_diagrams <ssi.jpg> <biss.jpg>\n");
        return 2;
    }
    // Painting text needs a platform plugin but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return Write(k740::PaintSsiDiagram(), argv[1]) && Write(k740::PaintBissDiagram(), argv[2]) ? 0 : 1;
}
