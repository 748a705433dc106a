// Writes the benchmarks' BMP and PCX inputs, and the tiny inputs of the smoke
// tests (those include a JPEG and a GIF, so the smoke tests need no other tool).
//
// bench_make_inputs --from PHOTO.jpg --size WxH DIR
//     picture24.bmp, picture8.bmp, picture8.pcx and picture1.pcx of the
//     photo's pixels at that size (8-bit and 1-bit ones dithered, like
//     real scans and screenshots rather than flat colour)
// bench_make_inputs --smoke DIR
//     photo.jpg, the four pictures above and animation.gif, all small

#include "compose/decode/Picture.h"

#include <QDir>
#include <QImage>

#include <jpeglib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes &out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(Bytes &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool save(const QString &path, const Bytes &bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bool(out);
}

// A 6 x 6 x 6 colour cube, the rest black.
std::array<QRgb, 256> cubePalette()
{
    std::array<QRgb, 256> palette{};
    for (int i = 0; i < 216; ++i)
        palette[static_cast<std::size_t>(i)] = qRgb(i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51);
    return palette;
}

// Ordered (Bayer 4 x 4) dithering, in sixteenths.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

std::uint8_t cubeIndex(QRgb c, int x, int y)
{
    const int t = kBayer[y & 3][x & 3];
    const auto level = [t](int v) { return std::min(5, (v * 5 * 16 + t * 255) / (255 * 16)); };
    return static_cast<std::uint8_t>(level(qRed(c)) * 36 + level(qGreen(c)) * 6 + level(qBlue(c)));
}

bool blackOrWhite(QRgb c, int x, int y) { return qGray(c) * 16 > (kBayer[y & 3][x & 3] * 2 + 1) * 255 / 2; }

Bytes bmpHeader(int width, int height, int bits, int paletteEntries, std::uint32_t imageBytes)
{
    Bytes out;
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(paletteEntries) * 4;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageBytes);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height)); // bottom-up
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0); // BI_RGB
    put32(out, imageBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, static_cast<std::uint32_t>(paletteEntries));
    put32(out, 0);
    return out;
}

Bytes bmp24(const QImage &image)
{
    const int w = image.width(), h = image.height();
    const int stride = (w * 3 + 3) & ~3;
    Bytes out = bmpHeader(w, h, 24, 0, static_cast<std::uint32_t>(stride * h));
    for (int y = h - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.push_back(static_cast<std::uint8_t>(qBlue(row[x])));
            out.push_back(static_cast<std::uint8_t>(qGreen(row[x])));
            out.push_back(static_cast<std::uint8_t>(qRed(row[x])));
        }
        out.resize(out.size() + static_cast<std::size_t>(stride - w * 3), 0);
    }
    return out;
}

Bytes bmp8(const QImage &image)
{
    const int w = image.width(), h = image.height();
    const int stride = (w + 3) & ~3;
    Bytes out = bmpHeader(w, h, 8, 256, static_cast<std::uint32_t>(stride * h));
    for (QRgb c : cubePalette()) {
        out.push_back(static_cast<std::uint8_t>(qBlue(c)));
        out.push_back(static_cast<std::uint8_t>(qGreen(c)));
        out.push_back(static_cast<std::uint8_t>(qRed(c)));
        out.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            out.push_back(cubeIndex(row[x], x, y));
        out.resize(out.size() + static_cast<std::size_t>(stride - w), 0);
    }
    return out;
}

Bytes pcxHeader(int width, int height, int version, int bits, int bytesPerLine)
{
    Bytes out;
    out.push_back(0x0A);
    out.push_back(static_cast<std::uint8_t>(version));
    out.push_back(1); // run-length encoded
    out.push_back(static_cast<std::uint8_t>(bits));
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(width - 1));
    put16(out, static_cast<unsigned>(height - 1));
    put16(out, 72);
    put16(out, 72);
    // The 16-colour header palette: black and white first, for 1-bit files.
    for (int i = 0; i < 16; ++i)
        for (int k = 0; k < 3; ++k)
            out.push_back(i == 1 ? 255 : 0);
    out.push_back(0);
    out.push_back(1); // one plane
    put16(out, static_cast<unsigned>(bytesPerLine));
    put16(out, 1);
    put16(out, 0);
    put16(out, 0);
    out.resize(128, 0);
    return out;
}

void pcxRun(Bytes &out, const std::vector<std::uint8_t> &line)
{
    for (std::size_t i = 0; i < line.size();) {
        std::size_t run = 1;
        while (i + run < line.size() && run < 63 && line[i + run] == line[i])
            ++run;
        if (run > 1 || line[i] >= 0xC0)
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        out.push_back(line[i]);
        i += run;
    }
}

Bytes pcx8(const QImage &image)
{
    const int w = image.width(), h = image.height();
    const int bytesPerLine = (w + 1) & ~1;
    Bytes out = pcxHeader(w, h, 5, 8, bytesPerLine);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(bytesPerLine), 0);
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            line[static_cast<std::size_t>(x)] = cubeIndex(row[x], x, y);
        pcxRun(out, line);
    }
    out.push_back(0x0C);
    for (QRgb c : cubePalette()) {
        out.push_back(static_cast<std::uint8_t>(qRed(c)));
        out.push_back(static_cast<std::uint8_t>(qGreen(c)));
        out.push_back(static_cast<std::uint8_t>(qBlue(c)));
    }
    return out;
}

Bytes pcx1(const QImage &image)
{
    const int w = image.width(), h = image.height();
    const int bytesPerLine = ((w + 7) / 8 + 1) & ~1;
    Bytes out = pcxHeader(w, h, 3, 1, bytesPerLine);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(bytesPerLine));
    for (int y = 0; y < h; ++y) {
        std::fill(line.begin(), line.end(), 0);
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (blackOrWhite(row[x], x, y))
                line[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        pcxRun(out, line);
    }
    return out;
}

bool jpeg(const QImage &image, const QString &path)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.width()) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(static_cast<int>(cinfo.next_scanline)));
        for (int x = 0; x < image.width(); ++x) {
            row[static_cast<std::size_t>(x) * 3] = static_cast<JSAMPLE>(qRed(src[x]));
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<JSAMPLE>(qGreen(src[x]));
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(qBlue(src[x]));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    const bool ok = save(path, Bytes(buffer, buffer + size));
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return ok;
}

// LZW data a GIF decoder accepts, made of plain colour indices only: a clear
// code before the table would need codes of 10 bits, so every code has 9.
void gifImageData(Bytes &out, const std::vector<std::uint8_t> &indices)
{
    std::vector<std::uint8_t> packed;
    std::uint32_t buffer = 0;
    int bits = 0;
    const auto code = [&](unsigned c) {
        buffer |= c << bits;
        bits += 9;
        while (bits >= 8) {
            packed.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    };
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 250 == 0)
            code(256);
        code(indices[i]);
    }
    code(257);
    if (bits > 0)
        packed.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
    out.push_back(8);
    for (std::size_t i = 0; i < packed.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, packed.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(i),
                   packed.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
}

// A small animation: a square moving over a gradient, each frame 100 ms.
Bytes smallAnimation(int size, int frames)
{
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    put16(out, static_cast<unsigned>(size));
    put16(out, static_cast<unsigned>(size));
    out.push_back(0xF7);
    out.push_back(0);
    out.push_back(0);
    for (QRgb c : cubePalette()) {
        out.push_back(static_cast<std::uint8_t>(qRed(c)));
        out.push_back(static_cast<std::uint8_t>(qGreen(c)));
        out.push_back(static_cast<std::uint8_t>(qBlue(c)));
    }
    for (int f = 0; f < frames; ++f) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0x04, 10, 0, 0, 0});
        std::vector<std::uint8_t> indices;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const bool square = std::abs(x - f * size / frames) < size / 4 && std::abs(y - size / 2) < size / 4;
                indices.push_back(square ? 5 : cubeIndex(qRgb(x * 255 / size, y * 255 / size, 128), x, y));
            }
        out.push_back(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, static_cast<unsigned>(size));
        put16(out, static_cast<unsigned>(size));
        out.push_back(0);
        gifImageData(out, indices);
    }
    out.push_back(0x3B);
    return out;
}

QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) & 255));
    return image;
}

bool writePictures(const QImage &image, const QDir &dir)
{
    return save(dir.filePath("picture24.bmp"), bmp24(image)) && save(dir.filePath("picture8.bmp"), bmp8(image))
        && save(dir.filePath("picture8.pcx"), pcx8(image)) && save(dir.filePath("picture1.pcx"), pcx1(image));
}

int usage(const char *self)
{
    std::fprintf(stderr, "usage: %s --from PHOTO.jpg --size WxH DIR | --smoke DIR\n", self);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string from, dirName;
    QSize size;
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--from" && i + 1 < argc)
            from = argv[++i];
        else if (arg == "--size" && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) == 2)
                size = QSize(w, h);
        } else if (arg == "--smoke")
            smoke = true;
        else
            dirName = arg;
    }
    if (dirName.empty() || (!smoke && (from.empty() || size.isEmpty())))
        return usage(argv[0]);
    QDir dir(QString::fromStdString(dirName));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;

    if (smoke) {
        const QImage small = gradient(96, 64);
        const bool ok = jpeg(gradient(800, 600), dir.filePath("photo.jpg")) && writePictures(small, dir)
            && save(dir.filePath("animation.gif"), smallAnimation(32, 4));
        return ok ? 0 : 1;
    }
    std::ifstream in(from, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QImage photo = tilvane::decode::decodeJpeg(tilvane::decode::Bytes(bytes.data(), bytes.size()), size);
    if (photo.isNull()) {
        std::fprintf(stderr, "%s: not a JPEG our decoder reads\n", from.c_str());
        return 1;
    }
    if (photo.size() != size)
        photo = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return writePictures(photo.convertToFormat(QImage::Format_RGB32), dir) ? 0 : 1;
}
