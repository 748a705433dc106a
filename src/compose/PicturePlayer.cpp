#include "compose/PicturePlayer.h"

#include "compose/FitPlacement.h"
#include "compose/PictureBox.h"

namespace tilvane {

PicturePlayer::PicturePlayer(PictureBox &canvas, std::shared_ptr<const decode::GifAnimation> animation,
                             Qt::TransformationMode mode)
    : canvas_(canvas), mode_(mode)
{
    delays_.reserve(animation->frames.size());
    for (const decode::GifFrame &frame : animation->frames)
        delays_.push_back(frame.delayMs > 0 ? frame.delayMs : kZeroDelayMs);
    // The logical screen never changes size, so neither does the placement.
    placement_ = fitPlacement(animation->screen);
    composer_.emplace(std::move(animation));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &PicturePlayer::advance);
    show(0);
}

PicturePlayer::~PicturePlayer() = default;

void PicturePlayer::setRunning(bool running)
{
    if (running == timer_.isActive())
        return;
    if (running)
        timer_.start(delays_[current_]);
    else
        timer_.stop();
}

void PicturePlayer::advance()
{
    show((current_ + 1) % frameCount());
    timer_.start(delays_[current_]);
}

void PicturePlayer::show(std::size_t index)
{
    current_ = index;
    if (!composer_) {
        canvas_.showFrame(cache_[index], placement_);
        return;
    }
    // Frames are composed in order; a restart at 0 begins again from white.
    const QImage frame = scaleForPlacement(composer_->compose(index), placement_.size(), mode_);
    canvas_.showFrame(frame, placement_);

    if (!caching_ || index != cache_.size())
        return;
    cacheBytes_ += frame.sizeInBytes();
    if (cacheBytes_ > kFrameCacheBytes) {
        // Too long to hold: compose on every loop rather than grow further.
        caching_ = false;
        cache_.clear();
        cache_.shrink_to_fit();
        return;
    }
    cache_.push_back(frame);
    if (cache_.size() == frameCount())
        composer_.reset(); // with it go the full-size surface and the frames
}

} // namespace tilvane
