// Large photo: the time from the click that loads a JPEG to the end of the
// canvas's first paint with it (read, decode, fit, paint), in the real window,
// and the peak memory of the process with the picture shown; against
// djpeg -scale 1/8 on the same file (a whole process) and against libjpeg at
// scale 1/8 in a process of its own (read and decode only).
//
// bench_photo [--runs N] [--djpeg PATH] FILE   runs all three N times, alternating
// bench_photo --load FILE                       one load in the real window
// bench_photo --libjpeg FILE                    one decode with libjpeg

#include "BenchSupport.h"
#include "ProgramWindow.h"

#include "compose/PictureBox.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

namespace {

int loadInWindow(int argc, char **argv, const QString &path)
{
    QApplication app(argc, argv);
    bench::prepareApplication();
    bench::ProgramWindow program;
    if (!program.open()) {
        std::fprintf(stderr, "the window did not open\n");
        return 1;
    }
    tilvane::PictureBox *canvas = program.canvas();
    const long baseKb = bench::peakRssKb();
    bench::PaintCounter painted(canvas, [canvas] { return canvas->hasPicture(); });

    const double start = bench::nowMs();
    program.choosePicture(path);
    // The handler has read, decoded and placed the picture; the paint follows.
    const double handlerMs = bench::nowMs() - start;
    if (!bench::processUntil([&] { return painted.count() > 0; }, 30000)) {
        std::fprintf(stderr, "the canvas showed no picture\n");
        return 1;
    }
    const double loadMs = bench::nowMs() - start;
    const QRect shown = canvas->pictureRect();
    std::printf("load_ms %.3f\nhandler_ms %.3f\nhwm_kb %ld\nbase_hwm_kb %ld\nshown %dx%d\n", loadMs, handlerMs,
                bench::peakRssKb(), baseKb, shown.width(), shown.height());
    return 0;
}

int decodeWithLibjpeg(const std::string &path)
{
    const double start = bench::nowMs();
    const auto bytes = bench::readFile(path);
    if (!bytes || bytes->empty())
        return 1;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes->data(), static_cast<unsigned long>(bytes->size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t{cinfo.output_width} * static_cast<std::size_t>(cinfo.output_components);
    std::vector<JSAMPLE> pixels(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const double ms = bench::nowMs() - start;
    std::printf("decode_ms %.3f\nsize %ux%u\n", ms, cinfo.output_width, cinfo.output_height);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 7;
    std::string djpeg;
    std::string mode;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--djpeg" && i + 1 < argc)
            djpeg = argv[++i];
        else if (arg == "--load" || arg == "--libjpeg")
            mode = arg;
        else
            file = arg;
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: %s [--runs N] [--djpeg PATH] FILE\n", argv[0]);
        return 2;
    }
    if (mode == "--load")
        return loadInWindow(argc, argv, QFileInfo(QString::fromStdString(file)).absoluteFilePath());
    if (mode == "--libjpeg")
        return decodeWithLibjpeg(file);

    djpeg = bench::findExecutable(djpeg, {"/usr/bin/djpeg", "/usr/local/bin/djpeg"});
    const std::string self = bench::selfPath();
    std::vector<double> loadMs, hwmKb, baseKb, djpegMs, libjpegMs;
    bench::ChildOptions capture;
    capture.captureStdout = true;
    for (int r = -1; r < runs; ++r) {
        // Run -1 only warms the page cache and the font cache.
        const bench::ChildRun load = bench::runChild({self, "--load", file}, capture);
        const auto ms = bench::findValue(load.output, "load_ms");
        if (!load.ok || !ms) {
            std::fprintf(stderr, "loading in the window failed (exit code %d)\n", load.exitCode);
            return 1;
        }
        double reference = 0;
        if (!djpeg.empty()) {
            const bench::ChildRun d = bench::runChild({djpeg, "-scale", "1/8", "-outfile", "/dev/null", file});
            if (!d.ok) {
                std::fprintf(stderr, "%s failed\n", djpeg.c_str());
                return 1;
            }
            reference = d.wallMs;
        }
        const bench::ChildRun lib = bench::runChild({self, "--libjpeg", file}, capture);
        const auto libMs = bench::findValue(lib.output, "decode_ms");
        if (!lib.ok || !libMs)
            return 1;
        std::printf("load %8.2f ms (handler %6.2f ms)  djpeg %8.2f ms  libjpeg %8.2f ms  VmHWM %6.0f kB (%6.0f kB before)%s\n", *ms,
                    bench::findValue(load.output, "handler_ms").value_or(0), reference, *libMs, bench::findValue(load.output, "hwm_kb").value_or(0),
                    bench::findValue(load.output, "base_hwm_kb").value_or(0), r < 0 ? " (warm-up)" : "");
        if (r < 0)
            continue;
        loadMs.push_back(*ms);
        hwmKb.push_back(bench::findValue(load.output, "hwm_kb").value_or(0));
        baseKb.push_back(bench::findValue(load.output, "base_hwm_kb").value_or(0));
        djpegMs.push_back(reference);
        libjpegMs.push_back(*libMs);
    }
    bench::result("photo.load_ms", bench::median(loadMs));
    // Run by run, so a drift in the machine's load cancels out.
    std::vector<double> overDjpeg, overLibjpeg;
    for (std::size_t i = 0; i < loadMs.size(); ++i) {
        if (djpegMs[i] > 0)
            overDjpeg.push_back(loadMs[i] / djpegMs[i]);
        overLibjpeg.push_back(loadMs[i] / libjpegMs[i]);
    }
    if (!overDjpeg.empty())
        bench::result("photo.over_djpeg", bench::median(overDjpeg));
    bench::result("photo.over_libjpeg", bench::median(overLibjpeg));
    if (!djpeg.empty())
        bench::result("photo.djpeg_ms", bench::median(djpegMs));
    bench::result("photo.libjpeg_ms", bench::median(libjpegMs));
    bench::result("photo.hwm_mb", bench::median(hwmKb) / 1024.0);
    bench::result("photo.base_hwm_mb", bench::median(baseKb) / 1024.0);
    return 0;
}
