// JPEG through libjpeg's classic decompression interface, from memory.
//
// libjpeg reports fatal errors through error_exit, which must not return; the
// error manager below jumps back to the decoding function instead of ending
// the process. Only objects with trivial destructors, or ones created before
// the setjmp, live in that function, so the jump skips no destructor.

#include "compose/decode/Picture.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace tilvane::decode {

namespace {

// A progressive file can carry an unbounded number of scans, each costing a
// full pass over the coefficients; real encoders write about ten.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void abandon(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data that libjpeg can step over) are neither printed nor
// fatal: the picture is shown as far as libjpeg makes it out.
void silence(j_common_ptr) {}

void limitScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor) {
        auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans)
            abandon(cinfo);
    }
}

// Picks the smallest DCT scale (n/8) whose output covers the fitted size and
// fits to that same size, so the caller's own fit of the result agrees with
// the fit of the stored picture.
void chooseScale(jpeg_decompress_struct &cinfo, QSize fitTarget)
{
    const QSize stored(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
    if (!fitTarget.isValid() || fitTarget.isEmpty())
        return;
    if (stored.width() <= fitTarget.width() && stored.height() <= fitTarget.height())
        return;
    const QSize fitted = fittedSize(stored, fitTarget);
    for (unsigned num = 1; num < 8; ++num) {
        cinfo.scale_num = num;
        cinfo.scale_denom = 8;
        jpeg_calc_output_dimensions(&cinfo);
        const QSize out(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
        if (out.width() >= fitted.width() && out.height() >= fitted.height() && fittedSize(out, fitTarget) == fitted)
            return;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
}

} // namespace

QImage decodeJpeg(Bytes bytes, QSize fitTarget, QSize *storedSize)
{
    // Declared before the setjmp so that a jump back never skips a destructor.
    QImage image;
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    jpeg_progress_mgr progress;

    if (bytes.size() < 4 || bytes.size() > 0xFFFFFFFFu)
        return {};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = abandon;
    errors.base.output_message = silence;
    jpeg_create_decompress(&cinfo);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    progress.progress_monitor = limitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    // Three components (YCbCr or RGB) and greyscale only; CMYK and the rest
    // are not shown. The size is checked before libjpeg allocates for it.
    const bool colour = cinfo.num_components == 3
        && (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB);
    const bool grey = cinfo.num_components == 1 && cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if ((!colour && !grey) || !withinLimits(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    // Colour pictures come out of libjpeg-turbo already as 32-bit pixels in
    // QImage's layout (the fourth byte set to 0xFF), straight into the
    // image's rows; greyscale ones are widened here.
    constexpr J_COLOR_SPACE kQRgbOrder = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    cinfo.out_color_space = colour ? kQRgbOrder : JCS_GRAYSCALE;
    chooseScale(cinfo, fitTarget);
    const QSize stored(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
    jpeg_start_decompress(&cinfo);

    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    const int components = cinfo.output_components;
    image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull() || (components != 4 && components != 1)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    if (components == 4) {
        // As many rows per call as libjpeg likes to give, which spares it
        // copying through a buffer of its own.
        constexpr int kMaxRows = 16;
        JSAMPROW rows[kMaxRows];
        const int batch = std::clamp(cinfo.rec_outbuf_height, 1, kMaxRows);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y = static_cast<int>(cinfo.output_scanline);
            const int n = std::min(batch, height - y);
            for (int i = 0; i < n; ++i)
                rows[i] = image.scanLine(y + i);
            if (jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n)) == 0)
                break;
        }
    } else {
        // The row buffer belongs to libjpeg's pool, freed with the decompressor.
        JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                    static_cast<JDIMENSION>(width), 1);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y = static_cast<int>(cinfo.output_scanline);
            if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
                break;
            auto *dst = reinterpret_cast<QRgb *>(image.scanLine(y));
            const JSAMPLE *src = row[0];
            for (int x = 0; x < width; ++x)
                dst[x] = qRgb(src[x], src[x], src[x]);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (storedSize)
        *storedSize = stored;
    return image;
}

} // namespace tilvane::decode
