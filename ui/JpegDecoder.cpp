#include "ui/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace kestrune {

namespace {

// Larger pictures are refused rather than allocated; the banner is far below this.
constexpr JDIMENSION kMaxSide = 8192;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// The decoder's state lives outside the function that calls setjmp, so nothing that the jump
// skips over has a value to lose.
struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager error;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void Silent(j_common_ptr) {}

// Holds no object with a destructor: a longjmp out of libjpeg lands in the setjmp below.
bool DecodeInto(Decoder* d, const QByteArray* data, QImage* out) {
    d->info.err = jpeg_std_error(&d->error.base);
    d->error.base.error_exit = JumpOut;
    d->error.base.output_message = Silent;
    if (setjmp(d->error.jump) != 0) {
        jpeg_destroy_decompress(&d->info);
        return false;
    }
    jpeg_create_decompress(&d->info);
    jpeg_mem_src(&d->info, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    if (jpeg_read_header(&d->info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&d->info);
        return false;
    }
    d->info.out_color_space = JCS_RGB;
    if (d->info.image_width == 0 || d->info.image_height == 0 || d->info.image_width > kMaxSide ||
        d->info.image_height > kMaxSide) {
        jpeg_destroy_decompress(&d->info);
        return false;
    }
    jpeg_start_decompress(&d->info);
    if (d->info.output_components != 3) {
        jpeg_destroy_decompress(&d->info);
        return false;
    }
    *out = QImage(static_cast<int>(d->info.output_width), static_cast<int>(d->info.output_height),
                  QImage::Format_RGB888);
    if (out->isNull()) {
        jpeg_destroy_decompress(&d->info);
        return false;
    }
    while (d->info.output_scanline < d->info.output_height) {
        JSAMPROW row = out->scanLine(static_cast<int>(d->info.output_scanline));
        jpeg_read_scanlines(&d->info, &row, 1);
    }
    jpeg_finish_decompress(&d->info);
    jpeg_destroy_decompress(&d->info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) {
        return {};
    }
    Decoder decoder{};
    QImage image;
    if (!DecodeInto(&decoder, &data, &image)) {
        return {};
    }
    return image;
}

}  // namespace kestrune
