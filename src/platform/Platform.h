#pragma once
// The seam between the program and the operating system's services. Handlers
// reach dialogs, message boxes, the screen and files only through this
// interface, so tests can script the answers.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <optional>

class QWidget;

namespace tilvane {

struct FontRecord;

enum class MessageIcon { None, Error };

// What the font dialog starts from and what it gives back.
struct FontDialogRequest {
    QString faceName;       // empty: no preselected face
    int heightPixels = 0;   // LOGFONT height; 0: no size given
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint32_t colour = 0; // 0x00BBGGRR
};

struct FontDialogChoice {
    QString faceName;
    int heightPixels = 0;   // LOGFONT height, negative: character height
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint32_t colour = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // A modal message box with one OK button; returns when it is dismissed.
    virtual void messageBox(QWidget *owner, const QString &caption, const QString &text,
                            MessageIcon icon) = 0;
    // Opens a document or address with the desktop's default handler.
    virtual bool openUrl(const QUrl &url) = 0;
    // The open-file dialog: no filter, existing files only. nullopt on cancel or failure.
    virtual std::optional<QString> openFileName(QWidget *owner, const QString &preselected) = 0;
    // The font dialog with effects (underline, strike-out, colour). nullopt on cancel.
    virtual std::optional<FontDialogChoice> chooseFont(QWidget *owner,
                                                       const FontDialogRequest &initial) = 0;
    // The colour dialog, preset to initial unless it is nullopt. nullopt on cancel.
    virtual std::optional<std::uint32_t> chooseColour(QWidget *owner,
                                                      std::optional<std::uint32_t> initial) = 0;
    // Vertical logical dots per inch of the screen, for points <-> pixels.
    virtual int screenDpiY() = 0;
    // The description of the default GUI font, as a 60-byte font record.
    virtual QByteArray defaultGuiFontRecord() = 0;
    // The folder the avatar is saved into (the user's desktop).
    virtual QString desktopFolder() = 0;
    // The whole content of a file; empty when the name is empty, the file is
    // missing, unreadable, empty, or larger than the limit.
    virtual QByteArray readWholeFile(const QString &path) = 0;
};

// Whole-file reading and GBK text are the same on every platform, so they are
// plain functions rather than part of the scripted seam.
QByteArray toGbk(const QString &text);
QString fromGbk(const QByteArray &bytes);

} // namespace tilvane
