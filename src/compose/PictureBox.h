#pragma once
// The preview canvas: a solid background colour, an optional picture placed in
// fit mode over it, and the text overlays as children drawn on top.

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstddef>
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

    // The bytes last written, unchanged, whether or not they decoded.
    QByteArray pictureBytes() const { return pictureBytes_; }
    // Decodes the bytes (format told by their first bytes), places the picture
    // in fit mode and shows it; bytes that do not decode leave no picture.
    // A new picture stops the animation of the old one.
    void setPictureBytes(const QByteArray &bytes);
    bool hasPicture() const { return !shown_.isNull(); }
    // Where the picture is drawn, in canvas coordinates.
    QRect pictureRect() const { return shownRect_; }

    // An animated GIF plays while the main window is shown and not minimised.
    bool isAnimated() const;
    bool isPlaying() const;
    std::size_t currentFrame() const;
    PicturePlayer *player() const { return player_.get(); }

    // The canvas exactly as shown: background, picture and overlays, one
    // canvas pixel to one image pixel whatever the screen's scale.
    QImage snapshot();

    // Shows a picture already scaled to rect's size (a null image: none).
    void showFrame(const QImage &frame, const QRect &rect);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchTopLevel();
    void updatePlaybackState();

    std::uint32_t backgroundColour_ = 0x00808080;
    QByteArray pictureBytes_;
    QImage shown_;
    QRect shownRect_;
    std::unique_ptr<PicturePlayer> player_;
    // The main window, whose minimising pauses the animation.
    QPointer<QWidget> watchedTopLevel_;
};

} // namespace tilvane
