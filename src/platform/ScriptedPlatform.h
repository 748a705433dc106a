#pragma once
// A platform whose answers are scripted, for tests: every dialog answer is
// queued in advance and every call is recorded.

#include "platform/Platform.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace tilvane {

class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString caption;
        QString text;
        MessageIcon icon;
        bool hadOwner;
    };

    std::vector<Message> messages;
    std::vector<QUrl> openedUrls;
    bool openUrlSucceeds = true;

    std::deque<std::optional<QString>> fileAnswers;     // empty queue: cancel
    QStringList filePreselections;
    std::deque<std::optional<FontDialogChoice>> fontAnswers;
    std::vector<FontDialogRequest> fontRequests;
    std::deque<std::optional<std::uint32_t>> colourAnswers;
    std::vector<std::optional<std::uint32_t>> colourPresets;

    int dpiY = 96;
    QByteArray defaultGuiFont;  // empty: a 12-pixel WenQuanYi Micro Hei record
    QString desktop;            // the avatar folder
    std::vector<QString> readPaths;

    void messageBox(QWidget *owner, const QString &caption, const QString &text, MessageIcon icon) override;
    bool openUrl(const QUrl &url) override;
    std::optional<QString> openFileName(QWidget *owner, const QString &preselected) override;
    std::optional<FontDialogChoice> chooseFont(QWidget *owner, const FontDialogRequest &initial) override;
    std::optional<std::uint32_t> chooseColour(QWidget *owner, std::optional<std::uint32_t> initial) override;
    int screenDpiY() override { return dpiY; }
    QByteArray defaultGuiFontRecord() override;
    QString desktopFolder() override { return desktop; }
    QByteArray readWholeFile(const QString &path) override;
};

} // namespace tilvane
