#pragma once
// Shared by the tests: the real window, built from the real definition, on a
// scripted platform.

#include "app/MainWindow.h"
#include "platform/ScriptedPlatform.h"

#include <QImage>
#include <QString>
#include <memory>

namespace tilvane::test {

// Fusion style and the font substitutions, as the program sets them.
void initApplication();

struct TestWindow {
    ScriptedPlatform platform;
    std::unique_ptr<MainWindow> window;

    // Builds the window; shown and active unless show is false.
    static std::unique_ptr<TestWindow> create(bool show = true);
    template <class T> T *control(const char *name) const { return window->control<T>(QString::fromUtf8(name)); }
};

// Number of pixels of image that differ from colour.
int countPixelsNot(const QImage &image, QRgb colour, const QRect &area = QRect());

} // namespace tilvane::test
