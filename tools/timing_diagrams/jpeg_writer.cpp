#include "jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace k740 {

namespace {
constexpr int kFirstChunk = 64 * 1024;

// One compression: libjpeg's state, its error exit and a destination that
// grows a QByteArray. It lives in the caller's frame, so a longjmp out of
// libjpeg leaves no local of Compress() half-written.
struct TCompression {
    jpeg_compress_struct Info{};
    jpeg_error_mgr Errors{};
    std::jmp_buf Escape{};
    jpeg_destination_mgr Destination{};
    QByteArray Output;
};

TCompression& Of(j_common_ptr info)
{
    return *static_cast<TCompression*>(info->client_data);
}

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(Of(info).Escape, 1);
}

void Silence(j_common_ptr) { }

void StartOutput(j_compress_ptr info)
{
    TCompression& c = Of(reinterpret_cast<j_common_ptr>(info));
    c.Output.resize(kFirstChunk);
    c.Destination.next_output_byte = reinterpret_cast<JOCTET*>(c.Output.data());
    c.Destination.free_in_buffer = size_t(c.Output.size());
}

// The buffer is full: double it and continue behind the written part.
boolean GrowOutput(j_compress_ptr info)
{
    TCompression& c = Of(reinterpret_cast<j_common_ptr>(info));
    const qsizetype written = c.Output.size();
    c.Output.resize(2 * written);
    c.Destination.next_output_byte = reinterpret_cast<JOCTET*>(c.Output.data()) + written;
    c.Destination.free_in_buffer = size_t(written);
    return TRUE;
}

void EndOutput(j_compress_ptr info)
{
    TCompression& c = Of(reinterpret_cast<j_common_ptr>(info));
    c.Output.resize(c.Output.size() - qsizetype(c.Destination.free_in_buffer));
}

bool Compress(TCompression& c, const QImage& pixels, J_COLOR_SPACE space, int components, int quality)
{
    c.Info.err = jpeg_std_error(&c.Errors);
    c.Errors.error_exit = OnError;
    c.Errors.output_message = Silence;
    c.Destination.init_destination = StartOutput;
    c.Destination.empty_output_buffer = GrowOutput;
    c.Destination.term_destination = EndOutput;
    if (setjmp(c.Escape)) {
        jpeg_destroy_compress(&c.Info);
        return false;
    }
    c.Info.client_data = &c; // kept by jpeg_create_compress
    jpeg_create_compress(&c.Info);
    c.Info.dest = &c.Destination;
    c.Info.image_width = JDIMENSION(pixels.width());
    c.Info.image_height = JDIMENSION(pixels.height());
    c.Info.input_components = components;
    c.Info.in_color_space = space;
    jpeg_set_defaults(&c.Info);
    jpeg_set_quality(&c.Info, quality, TRUE);
    jpeg_start_compress(&c.Info, TRUE);
    while (c.Info.next_scanline < c.Info.image_height) {
        // libjpeg only reads the row; it takes no const pointer.
        JSAMPROW row = const_cast<uchar*>(pixels.constScanLine(int(c.Info.next_scanline)));
        jpeg_write_scanlines(&c.Info, &row, 1);
    }
    jpeg_finish_compress(&c.Info);
    jpeg_destroy_compress(&c.Info);
    return true;
}
} // namespace

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return {};
    const bool grey = image.isGrayscale();
    const QImage pixels = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    TCompression c;
    if (!Compress(c, pixels, grey ? JCS_GRAYSCALE : JCS_RGB, grey ? 1 : 3, quality))
        return {};
    return c.Output;
}

} // namespace k740
