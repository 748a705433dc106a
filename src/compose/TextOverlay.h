#pragma once
// A transparent text label: only the glyphs of its caption are drawn, so what
// lies below (the canvas, its picture, a lower overlay) shows through.

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace tilvane {

class TextOverlay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxCoordinate = 32627;

    explicit TextOverlay(QWidget *parent = nullptr);

    int left() const { return x(); }
    int top() const { return y(); }
    void setLeft(int value);
    void setTop(int value);
    void setPlace(int left, int top, int width, int height);

    QString caption() const { return caption_; }
    void setCaption(const QString &text);

    std::uint32_t textColour() const { return textColour_; }
    void setTextColour(std::uint32_t colour);

    // The stored 60-byte record, or nullopt for the default GUI font.
    std::optional<QByteArray> fontRecord() const { return fontRecord_; }
    void setFontRecord(const std::optional<QByteArray> &record);

    int effect() const { return effect_; }
    void setEffect(int value);
    int horizontalAlignment() const { return hAlign_; }
    void setHorizontalAlignment(int value);
    int verticalAlignment() const { return vAlign_; }
    void setVerticalAlignment(int value);
    int wordWrap() const { return wordWrap_; }
    void setWordWrap(int value) { wordWrap_ = value; refresh(); }

    // The flags and font the caption is laid out with, shared with tests.
    int layoutFlags() const;
    QFont effectiveFont() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    QString caption_ = QStringLiteral("透明标签");
    std::uint32_t textColour_ = 0;
    std::optional<QByteArray> fontRecord_;
    int effect_ = 0;
    int hAlign_ = 0;
    int vAlign_ = 1;
    int wordWrap_ = 0;
};

} // namespace tilvane
