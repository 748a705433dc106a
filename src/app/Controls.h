#pragma once
// The standard control kinds of the window: push button, multi-line edit box,
// group box, and the non-visual common dialogs.

#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <cstdint>

namespace tilvane {

// A push button whose caption breaks into lines when it does not fit.
class PushButton : public QPushButton {
    Q_OBJECT
public:
    explicit PushButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// A multi-line edit box: sunken edge, white, no scroll bars, lines wrapped at
// the box's width; Enter inserts a line break.
class EditBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EditBox(QWidget *parent = nullptr);
    // The whole text with line breaks as CR LF.
    QString text() const;
    void setText(const QString &text);

signals:
    // Once per change of the content; never for caret moves or selection.
    void contentChanged();

private:
    QString lastText_;
};

// A frame line with an optional caption set into its top edge.
class GroupBox : public QWidget {
    Q_OBJECT
public:
    explicit GroupBox(QWidget *parent = nullptr);
    QString caption() const { return caption_; }
    void setCaption(const QString &text);
    Qt::Alignment captionAlignment() const { return alignment_; }
    void setCaptionAlignment(Qt::Alignment alignment);
    std::uint32_t captionColour() const { return captionColour_; }
    void setCaptionColour(std::uint32_t colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    std::uint32_t captionColour_ = 0;
};

// The stored settings of one of the standard dialogs; it has no window.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    enum class Kind { OpenFile, SaveFile, Font };

    CommonDialog(Kind kind, QObject *parent = nullptr) : QObject(parent), kind_(kind) {}
    Kind kind() const { return kind_; }

    // Open/save dialogs: the file name last confirmed (empty at first).
    QString fileName() const { return fileName_; }
    void setFileName(const QString &name) { fileName_ = name; }

    // The font chooser's own values, kept between openings.
    struct FontValues {
        std::uint32_t colour = 0;
        bool bold = false;
        bool italic = false;
        bool strikeOut = false;
        bool underline = false;
        QString faceName;
        int size = 0; // points; 0: no size given
        bool operator==(const FontValues &) const = default;
    };
    FontValues fontValues() const { return fontValues_; }
    void setFontValues(const FontValues &values) { fontValues_ = values; }

private:
    Kind kind_;
    QString fileName_;
    FontValues fontValues_;
};

} // namespace tilvane
