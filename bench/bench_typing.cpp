// Typing: from a key press in the first edit box to the end of the event
// processing in which overlay 1 was repainted with the new text, per key,
// in the real window. Keys come in as the platform delivers them (through the
// window, the key step and the edit box), a line of letters typed and then
// rubbed out again with Backspace, over and over.
//
// bench_typing [--keys N]      N keys (default 200)

#include "BenchSupport.h"
#include "ProgramWindow.h"

#include "app/Controls.h"
#include "compose/TextOverlay.h"

#include <QApplication>
#include <QWindow>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Through the window as the platform delivers a key (QTest's QWindow path
// hands it to the window system interface, synchronously).
void deliverKey(QWindow *window, QEvent::Type type, Qt::Key key)
{
    if (type == QEvent::KeyPress)
        QTest::keyPress(window, key);
    else
        QTest::keyRelease(window, key);
}

} // namespace

int main(int argc, char **argv)
{
    int keys = 200;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keys" && i + 1 < argc)
            keys = std::max(1, std::atoi(argv[++i]));
    }
    QApplication app(argc, argv);
    bench::prepareApplication();
    bench::ProgramWindow program;
    if (!program.open())
        return 1;
    auto *edit = program.control<tilvane::EditBox>("编辑框1");
    auto *overlay = program.control<tilvane::TextOverlay>("文字8");
    if (!edit || !overlay)
        return 1;
    program.window->activateWindow();
    edit->setFocus(Qt::OtherFocusReason);
    if (!bench::processUntil([&] { return QApplication::focusWidget() == edit; }, 5000)) {
        std::fprintf(stderr, "the edit box did not take the focus\n");
        return 1;
    }
    edit->setText(QString());
    bench::processFor(100);

    QWindow *window = program.window->windowHandle();
    bench::PaintCounter painted(overlay);
    constexpr int kLineLength = 12;
    std::vector<double> latencies;
    int length = 0;
    bool rubbingOut = false;
    for (int i = 0; i < keys; ++i) {
        if (length == kLineLength)
            rubbingOut = true;
        else if (length == 0)
            rubbingOut = false;
        const auto key = static_cast<Qt::Key>(rubbingOut ? int(Qt::Key_Backspace) : Qt::Key_A + (i % 26));
        const int before = painted.count();
        const double start = bench::nowMs();
        deliverKey(window, QEvent::KeyPress, key);
        if (!bench::processUntil([&] { return painted.count() > before; }, 5000)) {
            std::fprintf(stderr, "key %d: overlay 1 was not repainted\n", i);
            return 1;
        }
        latencies.push_back(bench::nowMs() - start);
        deliverKey(window, QEvent::KeyRelease, key);
        length += rubbingOut ? -1 : 1;
        // Whatever the key left to do (the edit box's own repaint) is over
        // before the next one, as between a typist's keys.
        bench::processFor(5);
        const QString expected = edit->text();
        if (overlay->caption() != expected || expected.size() != length) {
            std::fprintf(stderr, "key %d: the overlay shows \"%s\", the edit box \"%s\"\n", i,
                         qPrintable(overlay->caption()), qPrintable(expected));
            return 1;
        }
    }
    const double medianMs = bench::median(latencies);
    std::printf("%d keys: median %.3f ms, 90th percentile %.3f ms, worst %.3f ms\n", keys, medianMs,
                bench::percentile(latencies, 0.9), bench::percentile(latencies, 1.0));
    bench::result("typing.median_ms", medianMs);
    bench::result("typing.p90_ms", bench::percentile(latencies, 0.9));
    return 0;
}
