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
#include <new>

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
    // Looked at before opening: a directory gives nothing, a pipe or device
    // could block or never end, and an oversized file is refused unread.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0 || info.size() > maxBytes)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size <= 0 || size > maxBytes)
        return {};
    QByteArray data;
    try {
        data.resize(size);
    } catch (const std::bad_alloc &) {
        return {};
    }
    constexpr qint64 kChunk = 1024 * 1024;
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(data.data() + done, std::min(kChunk, size - done));
        if (got <= 0)
            return {}; // failed, or the file shrank meanwhile: nothing half-read
        done += got;
        // Let the window repaint between chunks of a large file. User input
        // waits, so no handler can start while this one is reading.
        if (done < size && QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // A file that grew while being read is taken at the size it had at first.
    return data;
}

} // namespace tilvane
