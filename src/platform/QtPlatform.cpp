#include "platform/QtPlatform.h"

#include "compose/Colour.h"
#include "compose/FontRecord.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <cmath>

namespace tilvane {

void QtPlatform::messageBox(QWidget *owner, const QString &caption, const QString &text, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text,
                    QMessageBox::Ok, owner);
    // Modal to the whole program, like a task-modal box with no owner.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool QtPlatform::openUrl(const QUrl &url) { return QDesktopServices::openUrl(url); }

std::optional<QString> QtPlatform::openFileName(QWidget *owner, const QString &preselected)
{
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!preselected.isEmpty()) {
        const QFileInfo info(preselected);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || !QFileInfo(files.first()).isFile())
        return std::nullopt;
    return files.first();
}

std::optional<FontDialogChoice> QtPlatform::chooseFont(QWidget *, const FontDialogRequest &)
{
    return std::nullopt;
}

std::optional<std::uint32_t> QtPlatform::chooseColour(QWidget *owner, std::optional<std::uint32_t> initial)
{
    const QColor start = initial ? toQColor(*initial) : QColor(Qt::black);
    const QColor chosen = QColorDialog::getColor(start, owner);
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

int QtPlatform::screenDpiY()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
    return dpi > 0 ? dpi : 96;
}

QByteArray QtPlatform::defaultGuiFontRecord()
{
    // A clean CJK sans face at the 12 pixels the window's layout was made for.
    FontRecord record;
    record.height = -12;
    record.weight = 400;
    record.charSet = 134;
    QString face = QStringLiteral("WenQuanYi Micro Hei");
    if (!QFontDatabase::families().contains(face))
        face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    if (!record.setFaceBytes(toGbk(face)))
        record.setFaceBytes(toGbk(QStringLiteral("宋体")));
    return record.serialise();
}

QString QtPlatform::desktopFolder() { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); }

QByteArray QtPlatform::readWholeFile(const QString &path) { return readWholeFileResponsively(path, kMaxFileBytes); }

QByteArray readWholeFileResponsively(const QString &path, qint64 maxBytes)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size <= 0 || size > maxBytes || !QFileInfo(path).isFile())
        return {};
    QByteArray data;
    data.resize(size);
    constexpr qint64 kChunk = 4 * 1024 * 1024;
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(data.data() + done, std::min(kChunk, size - done));
        if (got <= 0)
            return {};
        done += got;
        // Large files: let the window repaint between chunks (no user input,
        // so no other handler can start meanwhile).
        if (done < size && QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // A file that grew while being read is taken as it was at the start.
    return data;
}

} // namespace tilvane
