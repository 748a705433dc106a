// BMP and PCX decoding against ImageMagick.
//
// bench_decode [--runs N] [--convert PATH] FILE...
//     Whole processes, alternating: this program decoding the file as the
//     canvas does (read, sniff, decode to 32-bit pixels) against
//     `convert FILE rgb:-` with its output thrown away. Figures in megapixels
//     per second of process time, so higher is better.
// bench_decode --once FILE
//     One decode, the process the above times.
// bench_decode --compare [--repeat K] FILE...
//     In one process: our decoder against QImage's own BMP reader (its result
//     converted to 32-bit pixels, as the canvas would need), median of K.

#include "BenchSupport.h"

#include "compose/decode/Picture.h"

#include <QByteArray>
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string keyOf(const std::string &path)
{
    std::string name = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    for (char &c : name)
        if (c == '.' || c == '-')
            c = '_';
    return name;
}

int decodeOnce(const std::string &path)
{
    const auto bytes = bench::readFile(path);
    if (!bytes)
        return 1;
    const tilvane::decode::DecodedPicture picture = tilvane::decode::decodePicture(tilvane::decode::Bytes(bytes->data(), bytes->size()));
    if (picture.isNull())
        return 1;
    std::printf("pixels %lld\n", static_cast<long long>(picture.still.width()) * picture.still.height());
    return 0;
}

int compareInProcess(const std::vector<std::string> &files, int repeat)
{
    for (const std::string &path : files) {
        const auto bytes = bench::readFile(path);
        if (!bytes)
            return 1;
        const tilvane::decode::Bytes span(bytes->data(), bytes->size());
        const bool bmp = tilvane::decode::sniffFormat(span) == tilvane::decode::Format::Bmp;
        const QByteArray copy(reinterpret_cast<const char *>(bytes->data()), static_cast<qsizetype>(bytes->size()));
        std::vector<double> ours, qt;
        double pixels = 0;
        for (int r = 0; r <= repeat; ++r) {
            double start = bench::nowMs();
            const QImage mine = tilvane::decode::decodePicture(span).still;
            const double oursMs = bench::nowMs() - start;
            if (mine.isNull())
                return 1;
            pixels = static_cast<double>(mine.width()) * mine.height();
            // The first round only warms up.
            if (r > 0)
                ours.push_back(oursMs);
            if (!bmp)
                continue;
            start = bench::nowMs();
            QImage theirs = QImage::fromData(copy, "BMP");
            if (theirs.format() != QImage::Format_RGB32 && theirs.format() != QImage::Format_ARGB32)
                theirs = theirs.convertToFormat(QImage::Format_RGB32);
            const double qtMs = bench::nowMs() - start;
            if (theirs.isNull())
                return 1;
            if (r > 0)
                qt.push_back(qtMs);
        }
        const std::string key = "decode." + keyOf(path);
        const double oursMpps = pixels / bench::median(ours) / 1000.0;
        if (bmp) {
            const double qtMpps = pixels / bench::median(qt) / 1000.0;
            std::printf("%-16s in process: ours %8.1f MP/s, QImage %8.1f MP/s\n", keyOf(path).c_str(), oursMpps, qtMpps);
            bench::result(key + ".inproc_qimage_mpps", qtMpps);
            std::vector<double> speedups;
            for (std::size_t i = 0; i < ours.size(); ++i)
                speedups.push_back(qt[i] / ours[i]);
            bench::result(key + ".inproc_speedup", bench::median(speedups));
        } else {
            std::printf("%-16s in process: ours %8.1f MP/s\n", keyOf(path).c_str(), oursMpps);
        }
        bench::result(key + ".inproc_ours_mpps", oursMpps);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 7;
    int repeat = 7;
    std::string convert;
    std::string mode;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--convert" && i + 1 < argc)
            convert = argv[++i];
        else if (arg == "--once" || arg == "--compare")
            mode = arg;
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [--runs N] [--convert PATH] FILE... | --once FILE | --compare FILE...\n",
                     argv[0]);
        return 2;
    }
    if (mode == "--once")
        return decodeOnce(files.front());
    if (mode == "--compare")
        return compareInProcess(files, repeat);

    // ImageMagick's own binary, so that no wrapper script is timed with it.
    convert = bench::findExecutable(convert, {"/usr/bin/convert-im6.q16", "/usr/bin/convert"});
    if (convert.empty()) {
        std::fprintf(stderr, "ImageMagick's convert is not installed\n");
        return 1;
    }
    const std::string self = bench::selfPath();
    bench::ChildOptions capture;
    capture.captureStdout = true;
    for (const std::string &path : files) {
        std::vector<double> ours, theirs;
        double pixels = 0;
        for (int r = -1; r < runs; ++r) {
            const bench::ChildRun mine = bench::runChild({self, "--once", path}, capture);
            const auto count = bench::findValue(mine.output, "pixels");
            if (!mine.ok || !count) {
                std::fprintf(stderr, "%s: our decoder failed\n", path.c_str());
                return 1;
            }
            pixels = *count;
            const bench::ChildRun im = bench::runChild({convert, path, "rgb:-"});
            if (!im.ok) {
                std::fprintf(stderr, "%s: convert failed\n", path.c_str());
                return 1;
            }
            if (r < 0)
                continue; // warms the page cache
            ours.push_back(mine.wallMs);
            theirs.push_back(im.wallMs);
        }
        const double oursMs = bench::median(ours);
        const double theirMs = bench::median(theirs);
        std::printf("%-16s %6.2f MP: ours %8.2f ms, convert %8.2f ms (whole processes)\n", keyOf(path).c_str(),
                    pixels / 1e6, oursMs, theirMs);
        const std::string key = "decode." + keyOf(path);
        bench::result(key + ".ours_mpps", pixels / oursMs / 1000.0);
        bench::result(key + ".convert_mpps", pixels / theirMs / 1000.0);
        bench::result(key + ".megapixels", pixels / 1e6);
        // Run by run, so a drift in the machine's load cancels out.
        std::vector<double> speedups;
        for (std::size_t i = 0; i < ours.size(); ++i)
            speedups.push_back(theirs[i] / ours[i]);
        bench::result(key + ".speedup", bench::median(speedups));
    }
    return 0;
}
