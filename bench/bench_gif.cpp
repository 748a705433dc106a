// GIF decoding throughput, in one process: our decoder (decodeGif, then
// GifComposer over every frame) against giflib (DGifSlurp, then the frames
// composed by the same rules: white surface, transparent colour left out,
// disposal 2 and 3 restoring the area). Megapixels per second of composed
// logical screen, so both count the same pixels and higher is better.
//
// bench_gif [--rounds N] FILE...

#include "BenchSupport.h"

#include "compose/decode/Picture.h"

#include <QFileInfo>
#include <QImage>

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Memory {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t at;
};

int readMemory(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *memory = static_cast<Memory *>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(length), memory->size - memory->at);
    std::memcpy(buffer, memory->data + memory->at, n);
    memory->at += n;
    return static_cast<int>(n);
}

// Returns a pixel of the last frame, so that nothing is optimised away; the
// frame count and screen size come back through the arguments.
QRgb decodeWithGiflib(const bench::FileBytes &bytes, std::size_t &frames, QSize &screenSize)
{
    Memory memory{bytes.data(), bytes.size(), 0};
    int error = 0;
    GifFileType *gif = DGifOpen(&memory, readMemory, &error);
    if (!gif)
        return 0;
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        DGifCloseFile(gif, &error);
        return 0;
    }
    const QRect screen(0, 0, gif->SWidth, gif->SHeight);
    QImage surface(screen.size(), QImage::Format_RGB32);
    surface.fill(0xFFFFFFFFu);
    QImage saved;
    QRect savedRect;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &image = gif->SavedImages[i];
        if (!saved.isNull()) {
            for (int y = 0; y < savedRect.height(); ++y)
                std::copy_n(reinterpret_cast<const QRgb *>(saved.constScanLine(y)), savedRect.width(),
                            reinterpret_cast<QRgb *>(surface.scanLine(savedRect.top() + y)) + savedRect.left());
            saved = QImage();
        }
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &control);
        const ColorMapObject *map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        QRgb palette[256];
        std::fill(std::begin(palette), std::end(palette), 0u);
        if (map)
            for (int c = 0; c < map->ColorCount && c < 256; ++c)
                palette[c] = qRgb(map->Colors[c].Red, map->Colors[c].Green, map->Colors[c].Blue) & 0xFFFFFFu;
        const QRect frame(image.ImageDesc.Left, image.ImageDesc.Top, image.ImageDesc.Width, image.ImageDesc.Height);
        const QRect rect = frame & screen;
        if (rect.isEmpty())
            continue;
        if (control.DisposalMode == DISPOSE_BACKGROUND || control.DisposalMode == DISPOSE_PREVIOUS) {
            saved = surface.copy(rect);
            savedRect = rect;
        }
        // The same drawing loop as our composer's: a table of the pixels as
        // drawn, 0 for the colours left out.
        const bool keyed = control.TransparentColor >= 0 && control.TransparentColor < 256;
        const QRgb key = keyed ? palette[control.TransparentColor] : 0;
        QRgb drawn[256];
        for (int c = 0; c < 256; ++c)
            drawn[c] = keyed && palette[c] == key ? 0u : palette[c] | 0xFF000000u;
        const auto width = static_cast<std::size_t>(rect.width());
        for (int y = 0; y < rect.height(); ++y) {
            const GifByteType *src = image.RasterBits + static_cast<std::size_t>(rect.top() - frame.top() + y) * frame.width()
                + (rect.left() - frame.left());
            auto *dst = reinterpret_cast<QRgb *>(surface.scanLine(rect.top() + y)) + rect.left();
            if (keyed) {
                for (std::size_t x = 0; x < width; ++x)
                    if (const QRgb pixel = drawn[src[x]])
                        dst[x] = pixel;
            } else {
                for (std::size_t x = 0; x < width; ++x)
                    dst[x] = drawn[src[x]];
            }
        }
    }
    frames = static_cast<std::size_t>(gif->ImageCount);
    screenSize = screen.size();
    DGifCloseFile(gif, &error);
    return surface.pixel(surface.width() / 2, surface.height() / 2);
}

QRgb decodeWithOurs(const bench::FileBytes &bytes, std::size_t &frames, QSize &screenSize)
{
    const auto animation = tilvane::decode::decodeGif(tilvane::decode::Bytes(bytes.data(), bytes.size()));
    if (!animation)
        return 0;
    tilvane::decode::GifComposer composer(animation);
    const QImage *surface = nullptr;
    for (std::size_t i = 0; i < animation->frames.size(); ++i)
        surface = &composer.compose(i);
    frames = animation->frames.size();
    screenSize = animation->screen;
    return surface->pixel(surface->width() / 2, surface->height() / 2);
}

volatile QRgb sink; // keeps the decoded pixels observable

using Decoder = QRgb (*)(const bench::FileBytes &, std::size_t &, QSize &);

// Milliseconds per decode, over `times` decodes.
double timeDecoder(Decoder decoder, const bench::FileBytes &bytes, int times, QRgb &seen)
{
    std::size_t frames = 0;
    QSize screen;
    const double start = bench::nowMs();
    for (int i = 0; i < times; ++i)
        seen ^= decoder(bytes, frames, screen);
    return (bench::nowMs() - start) / times;
}

std::string keyOf(const std::string &path)
{
    std::string name = QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString();
    for (char &c : name)
        if (c == '.' || c == '-')
            c = '_';
    return name;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 7;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [--rounds N] FILE...\n", argv[0]);
        return 2;
    }
    double setPixels = 0, setOursMs = 0, setGiflibMs = 0;
    std::vector<double> roundOurs(static_cast<std::size_t>(rounds)), roundGiflib(static_cast<std::size_t>(rounds));
    for (const std::string &path : files) {
        const auto bytes = bench::readFile(path);
        if (!bytes)
            return 1;
        std::size_t frames = 0, giflibFrames = 0;
        QSize screen, giflibScreen;
        const QRgb mine = decodeWithOurs(*bytes, frames, screen);
        const QRgb theirs = decodeWithGiflib(*bytes, giflibFrames, giflibScreen);
        if (frames == 0 || giflibFrames == 0) {
            std::fprintf(stderr, "%s: not decoded\n", path.c_str());
            return 1;
        }
        if (frames != giflibFrames || screen != giflibScreen || mine != theirs)
            std::fprintf(stderr, "%s: the two decoders disagree (%zu/%zu frames, pixel %08x/%08x)\n", path.c_str(),
                         frames, giflibFrames, mine, theirs);
        const double pixels = static_cast<double>(screen.width()) * screen.height() * static_cast<double>(frames);
        // Enough decodes per measurement to last about 100 ms, so the clock's
        // grain does not matter.
        QRgb seen = 0;
        const double once = std::max(0.01, timeDecoder(decodeWithOurs, *bytes, 1, seen));
        const int times = std::max(1, static_cast<int>(100.0 / once));
        std::vector<double> ours, giflib;
        for (int r = 0; r < rounds; ++r) {
            if (r % 2 == 0) {
                ours.push_back(timeDecoder(decodeWithOurs, *bytes, times, seen));
                giflib.push_back(timeDecoder(decodeWithGiflib, *bytes, times, seen));
            } else {
                giflib.push_back(timeDecoder(decodeWithGiflib, *bytes, times, seen));
                ours.push_back(timeDecoder(decodeWithOurs, *bytes, times, seen));
            }
        }
        const double oursMs = bench::median(ours);
        const double giflibMs = bench::median(giflib);
        std::printf("%-14s %4dx%-4d %3zu frames: ours %8.3f ms (%7.1f MP/s), giflib %8.3f ms (%7.1f MP/s)\n",
                    keyOf(path).c_str(), screen.width(), screen.height(), frames, oursMs, pixels / oursMs / 1000,
                    giflibMs, pixels / giflibMs / 1000);
        sink = seen;
        const std::string key = "gif." + keyOf(path);
        bench::result(key + ".ours_mpps", pixels / oursMs / 1000.0);
        bench::result(key + ".giflib_mpps", pixels / giflibMs / 1000.0);
        std::vector<double> speedups;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            speedups.push_back(giflib[i] / ours[i]);
            roundOurs[i] += ours[i];
            roundGiflib[i] += giflib[i];
        }
        bench::result(key + ".speedup", bench::median(speedups));
        setPixels += pixels;
        setOursMs += oursMs;
        setGiflibMs += giflibMs;
    }
    bench::result("gif.set.ours_mpps", setPixels / setOursMs / 1000.0);
    bench::result("gif.set.giflib_mpps", setPixels / setGiflibMs / 1000.0);
    std::vector<double> setSpeedups;
    for (std::size_t r = 0; r < roundOurs.size(); ++r)
        setSpeedups.push_back(roundGiflib[r] / roundOurs[r]);
    bench::result("gif.set.speedup", bench::median(setSpeedups));
    return 0;
}
