#pragma once

#include "app/MainWindow.h"

namespace tilvane {

inline const QString kAvatarFileName = QStringLiteral("头像文件.jpg");
inline const QString kSavedCaption = QStringLiteral("生成完毕");
inline const QString kSavedText = QStringLiteral("系统已自动生成头像档文件\r\n   头像文件.jpg  位于 桌面 ");

// Where the avatar goes: the desktop folder as the desktop reports it.
QString avatarFilePath(Platform &platform);

// Writes bytes to path completely or not at all: the new file is written
// beside the old one and then replaces it. Returns an empty string on
// success, otherwise the reason.
QString writeFileAtomically(const QString &path, const QByteArray &bytes);

// The click of 按钮6: snapshot the canvas, encode, write, confirm.
void saveAvatar(MainWindow &window, const EventArgs &);

} // namespace tilvane
