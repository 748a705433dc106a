#include "platform/ScriptedPlatform.h"

#include "compose/FontRecord.h"
#include "platform/QtPlatform.h"

namespace tilvane {

void ScriptedPlatform::messageBox(QWidget *owner, const QString &caption, const QString &text, MessageIcon icon)
{
    messages.push_back({caption, text, icon, owner != nullptr});
}

bool ScriptedPlatform::openUrl(const QUrl &url)
{
    openedUrls.push_back(url);
    return openUrlSucceeds;
}

std::optional<QString> ScriptedPlatform::openFileName(QWidget *, const QString &preselected)
{
    filePreselections.append(preselected);
    if (fileAnswers.empty())
        return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<FontDialogChoice> ScriptedPlatform::chooseFont(QWidget *, const FontDialogRequest &initial)
{
    fontRequests.push_back(initial);
    if (fontAnswers.empty())
        return std::nullopt;
    auto answer = fontAnswers.front();
    fontAnswers.pop_front();
    return answer;
}

std::optional<std::uint32_t> ScriptedPlatform::chooseColour(QWidget *, std::optional<std::uint32_t> initial)
{
    colourPresets.push_back(initial);
    if (colourAnswers.empty())
        return std::nullopt;
    auto answer = colourAnswers.front();
    colourAnswers.pop_front();
    return answer;
}

QByteArray ScriptedPlatform::defaultGuiFontRecord()
{
    if (!defaultGuiFont.isEmpty())
        return defaultGuiFont;
    FontRecord record;
    record.height = -12;
    record.weight = 400;
    record.charSet = 134;
    record.setFaceBytes(QByteArrayLiteral("WenQuanYi Micro Hei"));
    return record.serialise();
}

QByteArray ScriptedPlatform::readWholeFile(const QString &path)
{
    readPaths.push_back(path);
    return readWholeFileResponsively(path, QtPlatform::kMaxFileBytes);
}

} // namespace tilvane
