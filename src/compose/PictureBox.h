#pragma once
// The preview canvas: a solid background colour, an optional picture placed in
// fit mode over it, and the text overlays as children drawn on top.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace tilvane {

class PicturePlayer;

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    ~PictureBox() override;

    std::uint32_t backgroundColour() const { return backgroundColour_; }
    void setBackgroundColour(std::uint32_t colour);

    // The bytes last written, unchanged; empty when there is no picture.
    QByteArray pictureBytes() const { return pictureBytes_; }
    // Decodes the bytes (format told by their first bytes), places the picture
    // in fit mode and shows it; bytes that do not decode leave no picture.
    // A new picture stops the animation of the old one.
    void setPictureBytes(const QByteArray &bytes);
    bool hasPicture() const { return !shown_.isNull(); }
    bool isAnimated() const;
    // Where the picture is drawn, in canvas coordinates.
    QRect pictureRect() const { return shownRect_; }

    // The canvas exactly as shown: background, picture and overlays, one
    // canvas pixel to one image pixel whatever the screen's scale.
    QImage snapshot();

    // Called by the player with each composed frame, already scaled to rect.
    void showFrame(const QImage &frame, const QRect &rect);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updatePlaybackState();

    std::uint32_t backgroundColour_ = 0x00808080;
    QByteArray pictureBytes_;
    QImage shown_;
    QRect shownRect_;
    std::unique_ptr<PicturePlayer> player_;
};

} // namespace tilvane
