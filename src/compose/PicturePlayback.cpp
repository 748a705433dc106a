#include "compose/FitPlacement.h"
#include "compose/PictureBox.h"
#include "compose/PicturePlayer.h"
#include "compose/decode/Picture.h"

namespace tilvane {

PictureBox::~PictureBox() = default;

void PictureBox::setPictureBytes(const QByteArray &bytes)
{
    player_.reset();
    pictureBytes_ = bytes;

    const decode::Bytes span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size()));
    decode::DecodedPicture picture = decode::decodePicture(span, kCanvasSize);
    if (picture.isNull()) {
        showFrame(QImage(), QRect());
        return;
    }
    const Qt::TransformationMode mode = scalingModeForScreen();
    if (picture.animation && picture.animation->frames.size() > 1) {
        player_ = std::make_unique<PicturePlayer>(*this, std::move(picture.animation), mode);
        watchTopLevel();
        updatePlaybackState();
        return;
    }
    QImage still = std::move(picture.still);
    // Only icons and cursors show the background through their pixels.
    const decode::Format format = decode::sniffFormat(span);
    if (format != decode::Format::Icon && format != decode::Format::Cursor && still.hasAlphaChannel())
        still = still.convertToFormat(QImage::Format_RGB32);
    // Placed by the stored size: a JPEG may come back already shrunk in the
    // DCT, and the two-step centring depends on the size it started from.
    const QRect placement = fitPlacement(picture.storedSize);
    showFrame(scaleForPlacement(still, placement.size(), mode), placement);
}

bool PictureBox::isAnimated() const { return player_ != nullptr; }

bool PictureBox::isPlaying() const { return player_ && player_->isRunning(); }

std::size_t PictureBox::currentFrame() const { return player_ ? player_->currentFrame() : 0; }

void PictureBox::watchTopLevel()
{
    QWidget *top = window();
    if (top == watchedTopLevel_)
        return;
    if (watchedTopLevel_)
        watchedTopLevel_->removeEventFilter(this);
    watchedTopLevel_ = top;
    top->installEventFilter(this);
}

void PictureBox::updatePlaybackState()
{
    if (!player_)
        return;
    // Nothing to see while the window is hidden or minimised, so no work.
    const QWidget *top = window();
    player_->setRunning(isVisible() && !(top->windowState() & Qt::WindowMinimized));
}

} // namespace tilvane
