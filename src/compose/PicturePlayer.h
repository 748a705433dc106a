#pragma once
// Plays an animated GIF on the canvas: composes each frame, fits and scales it
// like a still picture and hands it to the canvas, then waits for the frame's
// delay on a timer of the GUI thread. Loops without end.

#include "compose/decode/Picture.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace tilvane {

class PictureBox;

class PicturePlayer : public QObject {
    Q_OBJECT
public:
    // Scaled frames kept so that later loops only blit; above this the frames
    // are composed afresh on every loop.
    static constexpr qint64 kFrameCacheBytes = 32ll * 1024 * 1024;
    // A stored delay of 0 shows the frame this long.
    static constexpr int kZeroDelayMs = 50;

    // Shows the first frame at once; the timer starts with setRunning(true).
    PicturePlayer(PictureBox &canvas, std::shared_ptr<const decode::GifAnimation> animation,
                  Qt::TransformationMode mode);
    ~PicturePlayer() override;

    // Stopped, the player does no work at all; started again, it shows the
    // current frame for its full delay and goes on from there.
    void setRunning(bool running);
    bool isRunning() const { return timer_.isActive(); }
    // How long the timer waits this time, in milliseconds.
    int currentDelay() const { return timer_.interval(); }

    std::size_t currentFrame() const { return current_; }
    std::size_t frameCount() const { return delays_.size(); }
    // True once every frame of a loop is held scaled: no more composing, and
    // the decoded frames are let go.
    bool playsFromCache() const { return !composer_; }
    QRect placement() const { return placement_; }

    // Shows the next frame and starts its delay; the timer calls this.
    void advance();

private:
    void show(std::size_t index);

    PictureBox &canvas_;
    std::optional<decode::GifComposer> composer_;
    std::vector<int> delays_;
    Qt::TransformationMode mode_;
    QRect placement_;
    QTimer timer_;
    std::size_t current_ = 0;
    std::vector<QImage> cache_;
    qint64 cacheBytes_ = 0;
    bool caching_ = true;
};

} // namespace tilvane
