#include "app/Startup.h"

#include "app/WindowBuilder.h"
#include "app/WindowDefinition.h"
#include "compose/CompositionHandlers.h"
#include "compose/FontRecord.h"
#include "export/SaveHandler.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>
#include <filesystem>
#include <system_error>

namespace tilvane {

const HandlerTable &programHandlers()
{
    static const HandlerTable table{
        {QStringLiteral("chooseBackgroundPicture"), chooseBackgroundPicture},
        {QStringLiteral("applyBackgroundColour"), applyBackgroundColour},
        {QStringLiteral("copyTextToOverlay1"), copyTextToOverlay1},
        {QStringLiteral("copyTextToOverlay2"), copyTextToOverlay2},
        {QStringLiteral("applyTextColourToOverlay1"), applyTextColourToOverlay1},
        {QStringLiteral("applyTextColourToOverlay2"), applyTextColourToOverlay2},
        {QStringLiteral("fontOfOverlay1"), fontOfOverlay1},
        {QStringLiteral("fontOfOverlay2"), fontOfOverlay2},
        {QStringLiteral("moveLeft"), moveLeft},
        {QStringLiteral("moveRight"), moveRight},
        {QStringLiteral("moveUp"), moveUp},
        {QStringLiteral("moveDown"), moveDown},
        {QStringLiteral("moveLeftByKey"), moveLeftByKey},
        {QStringLiteral("moveRightByKey"), moveRightByKey},
        {QStringLiteral("moveUpByKey"), moveUpByKey},
        {QStringLiteral("moveDownByKey"), moveDownByKey},
        {QStringLiteral("moveByAnyArrowKey"), moveByAnyArrowKey},
        {QStringLiteral("saveAvatar"), saveAvatar},
    };
    return table;
}

void ExitStep::runOnce()
{
    if (timesRun_ > 0 || !step_)
        return;
    ++timesRun_;
    step_();
}

namespace {

QIcon applicationIcon()
{
    // A square avatar with a text line: drawn here so no image file is needed.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal m = size / 16.0;
        p.setBrush(QColor(58, 110, 165));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0.5 * m, 0.5 * m, size - m, size - m), 2.5 * m, 2.5 * m);
        p.setBrush(QColor(250, 250, 250));
        p.drawEllipse(QRectF(5.5 * m, 2.5 * m, 5 * m, 5 * m));
        QPainterPath shoulders;
        shoulders.addRoundedRect(QRectF(3 * m, 8 * m, 10 * m, 5 * m), 2.5 * m, 2.5 * m);
        p.drawPath(shoulders);
        p.setBrush(QColor(230, 60, 60));
        p.drawRect(QRectF(1.5 * m, 11.5 * m, 13 * m, 3 * m));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

int runProgram(Platform &platform, const StartupOptions &options, ExitStep &exitStep)
{
    const auto fatal = [&](const QString &what) {
        platform.messageBox(nullptr, QStringLiteral("Tilvane"), what, MessageIcon::Error);
        exitStep.runOnce();
        return kFatalExitCode;
    };

    QString reason;
    const auto definition =
        options.definition ? parseWindowDefinition(*options.definition, &reason) : std::nullopt;
    if (!definition)
        return fatal(QStringLiteral("无法读取窗口定义，程序无法启动。"));

    // The start routine has nothing to do; then the exit step is registered.
    exitStep.registerStep(releasePictureNameSlot);

    std::unique_ptr<MainWindow> window = buildMainWindow(*definition, platform, programHandlers(), &reason);
    if (!window)
        return fatal(QStringLiteral("无法创建主窗口，程序无法启动。"));

    window->setWindowIcon(qApp->windowIcon());
    showMainWindow(*window, definition->outerWidth, definition->outerHeight);
    int code = 0;
    if (options.runLoop)
        code = QApplication::exec();
    window.reset();
    exitStep.runOnce();
    return code;
}

void enterProgramFolder(const char *argv0)
{
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec && argv0)
        program = std::filesystem::absolute(argv0, ec);
    if (!ec && program.has_parent_path())
        std::filesystem::current_path(program.parent_path(), ec);
}

int startup(int argc, char **argv)
{
    enterProgramFolder(argc > 0 ? argv[0] : nullptr);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tilvane"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(applicationIcon());
    installFontSubstitutions();
    // The desktop's own dialogs (files, colours, message box buttons) speak
    // the same language as the window.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QtPlatform platform;
    ExitStep exitStep;
    StartupOptions options;
    const QByteArray source = builtInWindowDefinition();
    if (!source.isEmpty())
        options.definition = source;
    return runProgram(platform, options, exitStep);
}

} // namespace tilvane
