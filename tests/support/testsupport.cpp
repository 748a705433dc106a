#include "testsupport.h"

#include "app/Startup.h"
#include "app/WindowBuilder.h"
#include "app/WindowDefinition.h"
#include "compose/FontRecord.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTest>

namespace tilvane::test {

void initApplication()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    installFontSubstitutions();
}

std::unique_ptr<TestWindow> TestWindow::create(bool show)
{
    auto t = std::make_unique<TestWindow>();
    const auto definition = parseWindowDefinition(builtInWindowDefinition());
    if (!definition)
        return nullptr;
    t->window = buildMainWindow(*definition, t->platform, programHandlers());
    if (!t->window)
        return nullptr;
    if (show) {
        showMainWindow(*t->window, definition->outerWidth, definition->outerHeight);
        if (!QTest::qWaitForWindowActive(t->window.get()))
            return nullptr;
    }
    return t;
}

int countPixelsNot(const QImage &image, QRgb colour, const QRect &area)
{
    const QRect r = area.isNull() ? image.rect() : area.intersected(image.rect());
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF))
                ++count;
    return count;
}

} // namespace tilvane::test
