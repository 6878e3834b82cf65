#include "ui/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace k740 {

namespace {
constexpr int kFirstChunk = 64 * 1024;

// One compression: libjpeg's state, its error exit and a destination that
// grows a QByteArray. It lives in the caller's frame, so a longjmp out of
// libjpeg leaves no local of compress() half-written.
struct Compression {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf escape{};
    jpeg_destination_mgr destination{};
    QByteArray output;
};

Compression& of(j_common_ptr info)
{
    return *static_cast<Compression*>(info->client_data);
}

[[noreturn]] void onError(j_common_ptr info)
{
    std::longjmp(of(info).escape, 1);
}

void silence(j_common_ptr) { }

void startOutput(j_compress_ptr info)
{
    Compression& c = of(reinterpret_cast<j_common_ptr>(info));
    c.output.resize(kFirstChunk);
    c.destination.next_output_byte = reinterpret_cast<JOCTET*>(c.output.data());
    c.destination.free_in_buffer = size_t(c.output.size());
}

// The buffer is full: double it and continue behind the written part.
boolean growOutput(j_compress_ptr info)
{
    Compression& c = of(reinterpret_cast<j_common_ptr>(info));
    const qsizetype written = c.output.size();
    c.output.resize(2 * written);
    c.destination.next_output_byte = reinterpret_cast<JOCTET*>(c.output.data()) + written;
    c.destination.free_in_buffer = size_t(written);
    return TRUE;
}

void endOutput(j_compress_ptr info)
{
    Compression& c = of(reinterpret_cast<j_common_ptr>(info));
    c.output.resize(c.output.size() - qsizetype(c.destination.free_in_buffer));
}

bool compress(Compression& c, const QImage& pixels, J_COLOR_SPACE space, int components, int quality)
{
    c.info.err = jpeg_std_error(&c.errors);
    c.errors.error_exit = onError;
    c.errors.output_message = silence;
    c.destination.init_destination = startOutput;
    c.destination.empty_output_buffer = growOutput;
    c.destination.term_destination = endOutput;
    if (setjmp(c.escape)) {
        jpeg_destroy_compress(&c.info);
        return false;
    }
    c.info.client_data = &c; // kept by jpeg_create_compress
    jpeg_create_compress(&c.info);
    c.info.dest = &c.destination;
    c.info.image_width = JDIMENSION(pixels.width());
    c.info.image_height = JDIMENSION(pixels.height());
    c.info.input_components = components;
    c.info.in_color_space = space;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    while (c.info.next_scanline < c.info.image_height) {
        // libjpeg only reads the row; it takes no const pointer.
        JSAMPROW row = const_cast<uchar*>(pixels.constScanLine(int(c.info.next_scanline)));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    jpeg_destroy_compress(&c.info);
    return true;
}
} // namespace

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return {};
    const bool grey = image.isGrayscale();
    const QImage pixels = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    Compression c;
    if (!compress(c, pixels, grey ? JCS_GRAYSCALE : JCS_RGB, grey ? 1 : 3, quality))
        return {};
    return c.output;
}

} // namespace k740
