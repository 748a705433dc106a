#include "export/SaveHandler.h"

#include "compose/PictureBox.h"
#include "export/BmpEncoder.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tilvane {

QString avatarFilePath(Platform &platform)
{
    const QString folder = platform.desktopFolder();
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(kAvatarFileName);
}

QString writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return QStringLiteral("找不到桌面文件夹");
    const QFileInfo folder(QFileInfo(path).absolutePath());
    // Never create the folder: a missing desktop is reported, not papered over.
    if (!folder.exists() || !folder.isDir())
        return QStringLiteral("文件夹不存在");
    if (bytes.isEmpty())
        return QStringLiteral("无法截取预览框的图像");
    QSaveFile file(path);
    // Writing beside the old file and renaming keeps the old avatar whole if
    // anything fails on the way.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

void saveAvatar(MainWindow &window, const EventArgs &)
{
    auto *canvas = window.control<PictureBox>(QStringLiteral("图片框1"));
    Platform &platform = window.platform();
    const QString path = avatarFilePath(platform);
    // The snapshot comes first, before any box can appear over the canvas.
    const QByteArray bytes = canvas ? encodeBmp24(canvas->snapshot()) : QByteArray();
    const QString failure = writeFileAtomically(path, bytes);
    if (failure.isEmpty()) {
        platform.messageBox(nullptr, kSavedCaption, kSavedText, MessageIcon::None);
        return;
    }
    const QString shownPath = path.isEmpty() ? QStringLiteral("（桌面）") : QDir::toNativeSeparators(path);
    platform.messageBox(nullptr, QStringLiteral("保存失败"),
                        QStringLiteral("头像文件没有保存：\n%1\n\n原因：%2").arg(shownPath, failure),
                        MessageIcon::Error);
}

} // namespace tilvane
