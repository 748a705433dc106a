#include "ProgramWindow.h"

#include "BenchSupport.h"

#include "app/Controls.h"
#include "app/Startup.h"
#include "app/WindowBuilder.h"
#include "app/WindowDefinition.h"
#include "compose/FontRecord.h"
#include "compose/PictureBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

namespace bench {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Tilvane"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    tilvane::installFontSubstitutions();
    // Kept for the life of the process, as the program keeps its own.
    static QTranslator translator;
    if (translator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

std::optional<QString> BenchPlatform::openFileName(QWidget *, const QString &)
{
    if (nextFile.isEmpty())
        return std::nullopt;
    return nextFile;
}

void BenchPlatform::messageBox(QWidget *, const QString &, const QString &, tilvane::MessageIcon) { ++messages; }

PaintCounter::PaintCounter(QWidget *widget, std::function<bool()> counts) : widget_(widget), counts_(std::move(counts))
{
    widget->installEventFilter(this);
}

PaintCounter::~PaintCounter()
{
    if (widget_)
        widget_->removeEventFilter(this);
}

bool PaintCounter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == widget_ && event->type() == QEvent::Paint && (!counts_ || counts_()))
        ++count_;
    return false;
}

bool ProgramWindow::open()
{
    const auto definition = tilvane::parseWindowDefinition(tilvane::builtInWindowDefinition());
    if (!definition)
        return false;
    window = tilvane::buildMainWindow(*definition, platform, tilvane::programHandlers());
    if (!window)
        return false;
    PaintCounter painted(window.get());
    tilvane::showMainWindow(*window, definition->outerWidth, definition->outerHeight);
    if (!processUntil([&] { return painted.count() > 0 && window->windowHandle()->isExposed(); }, 10000))
        return false;
    // Focus, activation and the caret's first blink come just after.
    processFor(300);
    return true;
}

tilvane::PictureBox *ProgramWindow::canvas() const { return control<tilvane::PictureBox>("图片框1"); }

void ProgramWindow::choosePicture(const QString &path)
{
    platform.nextFile = path;
    if (auto *button = control<QAbstractButton>("按钮1"))
        button->click();
}

bool processUntil(const std::function<bool()> &done, double timeoutMs)
{
    // Wakes the blocking wait below, so the timeout holds when nothing comes.
    QTimer tick;
    tick.start(10);
    const double end = nowMs() + timeoutMs;
    while (!done()) {
        if (nowMs() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!done())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void processFor(double ms)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace bench
