#pragma once

#include "platform/Platform.h"

namespace tilvane {

// The platform services as the desktop provides them through Qt.
class QtPlatform : public Platform {
public:
    static constexpr qint64 kMaxFileBytes = 256ll * 1024 * 1024;

    void messageBox(QWidget *owner, const QString &caption, const QString &text, MessageIcon icon) override;
    bool openUrl(const QUrl &url) override;
    std::optional<QString> openFileName(QWidget *owner, const QString &preselected) override;
    std::optional<FontDialogChoice> chooseFont(QWidget *owner, const FontDialogRequest &initial) override;
    std::optional<std::uint32_t> chooseColour(QWidget *owner, std::optional<std::uint32_t> initial) override;
    int screenDpiY() override;
    QByteArray defaultGuiFontRecord() override;
    QString desktopFolder() override;
    QByteArray readWholeFile(const QString &path) override;
};

// Reads a whole file, keeping the event loop alive for large ones; empty on
// any failure or above maxBytes.
QByteArray readWholeFileResponsively(const QString &path, qint64 maxBytes);

} // namespace tilvane
