#pragma once
// Picture decoding: pure functions from a byte span to pixels. No widgets, no
// files; they never throw, never read past the span, and refuse sizes above
// the limits below before allocating anything.

#include <QImage>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tilvane::decode {

using Bytes = std::span<const std::uint8_t>;

// Largest picture (or GIF logical screen) any decoder will allocate for.
inline constexpr int kMaxDimension = 32767;
inline constexpr std::int64_t kMaxPixels = 64ll * 1024 * 1024;
// A GIF stops being read at whichever comes first; the frames before stay.
inline constexpr std::size_t kMaxGifFrames = 10000;
inline constexpr std::int64_t kMaxGifIndexBytes = 256ll * 1024 * 1024;

// True when a width × height picture is positive and within the limits above.
bool withinLimits(std::int64_t width, std::int64_t height);

// The size a picture takes when fitted into area: unchanged when it fits,
// otherwise shrunk by min(area.w / w, area.h / h) (each side capped to the
// area first when it already fits), sizes truncated. Invalid in, invalid out.
QSize fittedSize(QSize picture, QSize area);

// Where a picture of that size goes in area: centred at its natural size when
// it fits, otherwise shrunk with its proportions kept. The centring is done in
// two integer steps (first for a side that fits, then for the shrink), so an
// odd leftover can put it one pixel before the exact centre: 200 x 99 in
// 102 x 102 lands at y 25 with 27 rows below, not 26. Negative sizes count as 0.
QRect fitPlacement(QSize picture, QSize area);

enum class Format { None, Bmp, Jpeg, Icon, Cursor, Gif, Pcx8, Pcx1 };

// Told by the first bytes only, in the order of the signature table; fewer
// than 6 bytes are never a picture.
Format sniffFormat(Bytes bytes);

// Each returns a null QImage when the bytes are not a picture it supports.
// Opaque formats give Format_RGB32; icons and cursors Format_ARGB32 (their
// AND mask and alpha as transparency).
QImage decodeBmp(Bytes bytes);
// fitTarget: the box the picture will be shrunk into; libjpeg then scales in
// the DCT to the smallest size not below the fitted size. An invalid size
// decodes at full size.
// The result may therefore be larger than the fitted size: the caller still
// does the final smooth shrink. The scale is chosen so that fitting the
// returned image gives the same size as fitting the stored picture would.
// storedSize, when given, receives the picture's size as stored in the file.
QImage decodeJpeg(Bytes bytes, QSize fitTarget = QSize(), QSize *storedSize = nullptr);
QImage decodeIconOrCursor(Bytes bytes);
QImage decodePcx(Bytes bytes);

// A GIF as stored: frames are kept indexed, composition happens when played.
struct GifFrame {
    QRect rect;                        // position and size on the logical screen
    std::vector<std::uint8_t> indices; // rect.width() * rect.height(), de-interlaced
    std::array<QRgb, 256> palette{};   // the frame's colour table (local, else global)
    int transparentIndex = -1;         // -1: no transparency
    int disposal = 0;                  // 0..7 as stored
    int delayMs = 0;                   // as stored (hundredths × 10); 0 stays 0
};

struct GifAnimation {
    QSize screen;                      // logical screen size
    std::vector<GifFrame> frames;      // at least one
};

// nullptr when the bytes are not a GIF with at least one decodable frame.
std::shared_ptr<const GifAnimation> decodeGif(Bytes bytes);

// Composes frames in order on a white surface of the logical screen size:
// transparent colour left out (every pixel of that exact colour), disposal 2
// and 3 both restore what the frame's area held before it was drawn.
class GifComposer {
public:
    explicit GifComposer(std::shared_ptr<const GifAnimation> animation);
    // The surface after frame index (frames must be visited in order; going
    // back to 0 restarts from white).
    const QImage &compose(std::size_t index);

private:
    std::shared_ptr<const GifAnimation> animation_;
    QImage surface_;
    QImage saved_;   // the area under the last frame, when it must be restored
    QRect savedRect_;
    std::size_t next_ = 0;
};

// What the canvas shows: a still picture or an animation.
struct DecodedPicture {
    QImage still;                                 // the first frame for a GIF
    std::shared_ptr<const GifAnimation> animation; // set only for GIFs of 2+ frames
    // The size as stored in the file, which placement goes by: a JPEG's
    // still may come back already shrunk in the DCT.
    QSize storedSize;
    bool isNull() const { return still.isNull(); }
};

// Sniffs and decodes; fitTarget as for decodeJpeg.
DecodedPicture decodePicture(Bytes bytes, QSize fitTarget = QSize(102, 102));

} // namespace tilvane::decode
