// Placeholder until the picture decoders land: every picture decodes to nothing.
#include "compose/PictureBox.h"
#include "compose/PicturePlayer.h"

namespace tilvane {

PictureBox::~PictureBox() = default;

void PictureBox::setPictureBytes(const QByteArray &bytes)
{
    pictureBytes_ = bytes;
    player_.reset();
    showFrame(QImage(), QRect());
}

bool PictureBox::isAnimated() const { return player_ != nullptr; }

void PictureBox::updatePlaybackState() {}

} // namespace tilvane
