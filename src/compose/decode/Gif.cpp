// GIF87a and GIF89a: frames read into indices on the logical screen, and the
// composition of those frames for playback.
//
// Choices for damaged files: a frame whose LZW data ends early or turns
// invalid keeps what was decoded and the rest of it is index 0; a frame that
// yields no pixel at all is dropped; a block that cannot be read ends the file
// with the frames before it kept.

#include "compose/decode/Binary.h"
#include "compose/decode/Picture.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tilvane::decode {

using namespace detail;

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

// The image data: sub-blocks of 1..255 bytes ended by an empty one, read as a
// stream of bits, least significant first.
class SubBlockBits {
public:
    SubBlockBits(Bytes bytes, std::size_t at) : bytes_(bytes), pos_(at) {}

    // The next code of `bits` bits, or -1 when the data has ended.
    int read(int bits)
    {
        while (count_ < bits) {
            const int byte = nextByte();
            if (byte < 0)
                return -1;
            buffer_ |= static_cast<std::uint32_t>(byte) << count_;
            count_ += 8;
        }
        const int code = static_cast<int>(buffer_ & ((1u << bits) - 1));
        buffer_ >>= bits;
        count_ -= bits;
        return code;
    }

    // Skips what is left up to and including the closing empty sub-block.
    // Returns the position after it, or nothing when the file ends first.
    bool finish(std::size_t &after)
    {
        while (!ended_) {
            pos_ += left_;
            left_ = 0;
            nextBlock();
        }
        after = pos_;
        return !truncated_;
    }

private:
    void nextBlock()
    {
        if (pos_ >= bytes_.size()) {
            pos_ = bytes_.size();
            ended_ = truncated_ = true;
            return;
        }
        left_ = bytes_[pos_++];
        if (left_ == 0)
            ended_ = true;
    }

    int nextByte()
    {
        while (left_ == 0) {
            if (ended_)
                return -1;
            nextBlock();
        }
        if (pos_ >= bytes_.size()) {
            pos_ = bytes_.size();
            left_ = 0;
            ended_ = truncated_ = true;
            return -1;
        }
        --left_;
        return bytes_[pos_++];
    }

    Bytes bytes_;
    std::size_t pos_;
    std::size_t left_ = 0;
    bool ended_ = false;
    bool truncated_ = false;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
};

// Takes decoded pixels in stream order and keeps those inside the clip, rows
// reordered when the frame is interlaced.
class PixelSink {
public:
    PixelSink(int width, int height, bool interlaced, QRect clip, std::uint8_t *out)
        : width_(width), height_(height), interlaced_(interlaced), clip_(clip), out_(out)
    {
    }

    bool done() const { return done_; }
    std::int64_t written() const { return written_; }

    void put(const std::uint8_t *pixels, int n)
    {
        while (n > 0 && !done_) {
            const int take = std::min(n, width_ - column_);
            if (row_ >= clip_.top() && row_ <= clip_.bottom()) {
                const int from = std::max(column_, clip_.left());
                const int to = std::min(column_ + take, clip_.right() + 1);
                if (from < to)
                    std::copy(pixels + (from - column_), pixels + (to - column_),
                              out_ + static_cast<std::size_t>(row_ - clip_.top()) * static_cast<std::size_t>(clip_.width())
                                  + static_cast<std::size_t>(from - clip_.left()));
            }
            written_ += take;
            pixels += take;
            n -= take;
            column_ += take;
            if (column_ == width_) {
                column_ = 0;
                nextRow();
            }
        }
    }

private:
    void nextRow()
    {
        if (!interlaced_) {
            if (++row_ >= height_)
                done_ = true;
            return;
        }
        // Passes: every 8th row from 0, every 8th from 4, every 4th from 2,
        // every 2nd from 1.
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        row_ += kStep[pass_];
        while (row_ >= height_) {
            if (++pass_ == 4) {
                done_ = true;
                return;
            }
            row_ = kStart[pass_];
        }
    }

    int width_;
    int height_;
    bool interlaced_;
    QRect clip_; // in frame coordinates
    std::uint8_t *out_;
    int row_ = 0;
    int column_ = 0;
    int pass_ = 0;
    bool done_ = false;
    std::int64_t written_ = 0;
};

// Decodes one frame's LZW data into sink. Stops at the end code, when the
// frame is full, when the data ends, or at the first invalid code.
void decodeLzw(SubBlockBits &bits, int minimumCodeSize, PixelSink &sink)
{
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    std::uint16_t prefix[kTableSize];
    std::uint8_t suffix[kTableSize];
    std::uint8_t first[kTableSize];
    std::uint16_t length[kTableSize];
    std::uint8_t string[kTableSize];
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = first[i] = static_cast<std::uint8_t>(i);
        length[i] = 1;
    }
    int codeSize = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    while (!sink.done()) {
        const int code = bits.read(codeSize);
        if (code < 0 || code == end)
            return;
        if (code == clear) {
            codeSize = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            // After a clear only a plain colour index can follow.
            if (code > clear)
                return;
            const auto pixel = static_cast<std::uint8_t>(code);
            sink.put(&pixel, 1);
            previous = code;
            continue;
        }
        // A code may name an existing entry or the one about to be made.
        if (code > next || (code == next && next >= kTableSize))
            return;
        if (next < kTableSize) {
            prefix[next] = static_cast<std::uint16_t>(previous);
            suffix[next] = code == next ? first[previous] : first[code];
            first[next] = first[previous];
            length[next] = static_cast<std::uint16_t>(length[previous] + 1);
            ++next;
            if (next == (1 << codeSize) && codeSize < kMaxCodeBits)
                ++codeSize;
        }
        int c = code;
        const int n = length[c];
        for (int i = n - 1; i >= 0; --i) {
            string[i] = suffix[c];
            c = prefix[c];
        }
        sink.put(string, n);
        previous = code;
    }
}

// The fast road for a frame that lies wholly on the screen, which is nearly
// every frame: the image data's sub-blocks are first joined into one run of
// bytes, codes are read from it eight bytes at a time, and each code's string
// is copied from where it was written before in the frame (a table entry is
// the previous string plus one byte, which the output already holds in one
// piece). No string is ever built backwards. Clipped frames keep the
// streaming decoder above, which never holds more than the clip.

// Bytes of slack after every buffer read or written here, so that reads and
// copies may move eight bytes at a time without checking for the end.
constexpr std::size_t kSlack = 16;

// Joins the sub-blocks from `at` into data (followed by kSlack zero bytes,
// not counted in the returned size). `at` ends after the closing empty
// sub-block; complete is false when the file ends before it.
std::size_t joinSubBlocks(Bytes bytes, std::size_t &at, std::vector<std::uint8_t> &data, bool &complete)
{
    data.clear();
    complete = false;
    while (at < bytes.size()) {
        const std::size_t length = bytes[at++];
        if (length == 0) {
            complete = true;
            break;
        }
        const std::size_t take = std::min(length, bytes.size() - at);
        data.insert(data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    bytes.begin() + static_cast<std::ptrdiff_t>(at + take));
        at += take;
    }
    const std::size_t size = data.size();
    data.resize(size + kSlack, 0);
    return size;
}

std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

// Codes, least significant bit first, from joined data with its slack.
// Meant to live in a local, so that its fields stay in registers.
class CodeReader {
public:
    CodeReader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    // The next code of `bits` bits, or -1 when the data has ended.
    int read(int bits)
    {
        if (count_ < bits) {
            if (pos_ >= size_)
                return -1;
            // Bits above count_ may already hold the following bytes; they
            // are loaded again at the same place, so OR-ing them is harmless.
            buffer_ |= load64(data_ + pos_) << count_;
            const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(63 - count_) >> 3, size_ - pos_);
            pos_ += take;
            count_ += static_cast<int>(take) * 8;
            if (count_ < bits)
                return -1;
        }
        const int code = static_cast<int>(buffer_ & ((1u << bits) - 1));
        buffer_ >>= bits;
        count_ -= bits;
        return code;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

// Every colour index followed by slack, so that a literal code's string can
// be copied like any other.
struct Literals {
    std::array<std::uint8_t, 256 + kSlack> bytes{};
    Literals()
    {
        for (std::size_t i = 0; i < 256; ++i)
            bytes[i] = static_cast<std::uint8_t>(i);
    }
};

// Decodes the joined data into out: `total` pixels in stream order, plus
// kSlack bytes that may be written. Stops as decodeLzw does; returns the
// number of pixels written, and sets every pixel after them to 0.
std::size_t decodeLzwInPlace(const std::uint8_t *data, std::size_t size, int minimumCodeSize, std::uint8_t *out,
                             std::size_t total)
{
    static const Literals literals;
    CodeReader codes(data, size);
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    // Entry i is `length[i]` bytes from `source[i]`: a colour index, or a
    // stretch of the output already written.
    const std::uint8_t *source[kTableSize];
    std::uint16_t length[kTableSize];
    for (int i = 0; i < clear; ++i) {
        source[i] = literals.bytes.data() + i;
        length[i] = 1;
    }
    int codeSize = minimumCodeSize + 1;
    int next = clear + 2;
    bool havePrevious = false;
    std::size_t previousStart = 0;
    std::size_t previousLength = 0;
    std::size_t at = 0;
    while (at < total) {
        const int code = codes.read(codeSize);
        if (code < 0 || code == end)
            break;
        if (code == clear) {
            codeSize = minimumCodeSize + 1;
            next = clear + 2;
            havePrevious = false;
            continue;
        }
        // After a clear only a plain colour index can follow; a code may
        // name an existing entry or the one about to be made.
        if (code > end && (!havePrevious || code > next || (code == next && next >= kTableSize)))
            break;
        // The new entry is the previous string and the first byte of this
        // one, which follows it in the output: one stretch.
        const bool namesNewEntry = code == next;
        if (havePrevious && next < kTableSize) {
            source[next] = out + previousStart;
            length[next] = static_cast<std::uint16_t>(previousLength + 1);
            ++next;
            if (next == (1 << codeSize) && codeSize < kMaxCodeBits)
                ++codeSize;
        }
        const std::uint8_t *from = source[code];
        previousLength = length[code];
        previousStart = at;
        havePrevious = true;
        const std::size_t n = std::min(previousLength, total - at);
        // Eight bytes at a time, running past the end into output still to
        // come or the slack. Every byte that matters lies before `at`, so
        // it was written before this copy began...
        std::uint8_t *to = out + at;
        for (std::size_t i = 0; i < n; i += 8)
            std::memcpy(to + i, from + i, 8);
        // ...except the last byte of an entry named as it is made, which is
        // the first byte of the string itself.
        if (namesNewEntry && n == previousLength)
            to[n - 1] = from[0];
        at += n;
    }
    // What the data did not reach is index 0 (the buffer may hold an
    // earlier frame, or bytes of a wide copy).
    std::fill(out + at, out + total, std::uint8_t{0});
    return at;
}

// The frame's rows from a decoding in stream order: as they are, or, for an
// interlaced frame, with the rows of the four passes (every 8th row from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1) put in place.
void storeRows(const std::uint8_t *stream, int width, int height, bool interlaced, std::vector<std::uint8_t> &out)
{
    const auto rowBytes = static_cast<std::size_t>(width);
    out.reserve(rowBytes * static_cast<std::size_t>(height));
    if (!interlaced) {
        out.assign(stream, stream + rowBytes * static_cast<std::size_t>(height));
        return;
    }
    const int pass1 = (height + 7) / 8;
    const int pass2 = pass1 + (height + 3) / 8;
    const int pass3 = pass2 + (height + 1) / 4;
    for (int y = 0; y < height; ++y) {
        const int row = y % 8 == 0 ? y / 8 : y % 8 == 4 ? pass1 + y / 8 : y % 4 == 2 ? pass2 + y / 4 : pass3 + y / 2;
        const std::uint8_t *from = stream + static_cast<std::size_t>(row) * rowBytes;
        out.insert(out.end(), from, from + rowBytes);
    }
}

struct GraphicControl {
    int disposal = 0;
    int delayMs = 0;
    int transparentIndex = -1;
};

void readColourTable(Bytes bytes, std::size_t at, int entries, std::array<QRgb, 256> &palette)
{
    palette.fill(qRgb(0, 0, 0));
    for (int i = 0; i < entries; ++i) {
        const std::size_t e = at + static_cast<std::size_t>(i) * 3;
        palette[static_cast<std::size_t>(i)] = qRgb(bytes[e], bytes[e + 1], bytes[e + 2]);
    }
}

// Skips sub-blocks from `at`; false when the file ends first.
bool skipSubBlocks(Bytes bytes, std::size_t &at)
{
    while (at < bytes.size()) {
        const std::size_t length = bytes[at++];
        if (length == 0)
            return true;
        at += length;
    }
    return false;
}

} // namespace

std::shared_ptr<const GifAnimation> decodeGif(Bytes bytes)
{
    if (!has(bytes, 0, 13) || bytes[0] != 'G' || bytes[1] != 'I' || bytes[2] != 'F' || bytes[3] != '8'
        || (bytes[4] != '7' && bytes[4] != '9') || bytes[5] != 'a')
        return nullptr;
    auto animation = std::make_shared<GifAnimation>();
    QSize screen(le16(bytes, 6), le16(bytes, 8));
    if (!screen.isEmpty() && !withinLimits(screen.width(), screen.height()))
        return nullptr;
    std::size_t at = 13;
    std::array<QRgb, 256> global;
    global.fill(qRgb(0, 0, 0));
    if (bytes[10] & 0x80) {
        const int entries = 2 << (bytes[10] & 7);
        if (!has(bytes, at, static_cast<std::size_t>(entries) * 3))
            return nullptr;
        readColourTable(bytes, at, entries, global);
        at += static_cast<std::size_t>(entries) * 3;
    }

    GraphicControl control;
    std::int64_t indexBytes = 0;
    // Reused from frame to frame: the joined image data, and the rows of an
    // interlaced frame in the order they were stored.
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> stream;
    bool more = true;
    while (more && at < bytes.size()) {
        const std::uint8_t block = bytes[at++];
        if (block == 0x3B)
            break;
        if (block == 0x21) {
            if (!has(bytes, at, 1))
                break;
            const std::uint8_t label = bytes[at++];
            if (label == 0xF9 && has(bytes, at, 5) && bytes[at] >= 4) {
                const std::uint8_t packed = bytes[at + 1];
                control.disposal = (packed >> 2) & 7;
                control.delayMs = le16(bytes, at + 2) * 10;
                control.transparentIndex = (packed & 1) ? bytes[at + 4] : -1;
            }
            more = skipSubBlocks(bytes, at);
            continue;
        }
        if (block != 0x2C || !has(bytes, at, 9))
            break;

        // Image descriptor, then the local colour table and the image data.
        const int left = le16(bytes, at);
        const int top = le16(bytes, at + 2);
        const int width = le16(bytes, at + 4);
        const int height = le16(bytes, at + 6);
        const std::uint8_t packed = bytes[at + 8];
        at += 9;
        GifFrame frame;
        frame.palette = global;
        if (packed & 0x80) {
            const int entries = 2 << (packed & 7);
            if (!has(bytes, at, static_cast<std::size_t>(entries) * 3))
                break;
            readColourTable(bytes, at, entries, frame.palette);
            at += static_cast<std::size_t>(entries) * 3;
        }
        if (!has(bytes, at, 1))
            break;
        const int minimumCodeSize = bytes[at++];
        const GraphicControl thisControl = control;
        control = GraphicControl{};

        // A file that declares no logical screen takes the extent of its first
        // frame as the screen.
        if (screen.isEmpty() && animation->frames.empty() && width > 0 && height > 0) {
            screen = QSize(left + width, top + height);
            if (!withinLimits(screen.width(), screen.height()))
                return nullptr;
        }
        // Frames are clipped to the screen; empty ones, ones wholly outside
        // and ones that cannot be decoded are skipped.
        const QRect clip = QRect(left, top, width, height) & QRect(QPoint(0, 0), screen);
        const bool decodable = minimumCodeSize >= 2 && minimumCodeSize <= 8 && !clip.isEmpty();
        if (!decodable) {
            more = skipSubBlocks(bytes, at);
            continue;
        }
        const std::int64_t area = std::int64_t{clip.width()} * clip.height();
        if (animation->frames.size() >= kMaxGifFrames || indexBytes + area > kMaxGifIndexBytes)
            break;
        indexBytes += area;

        frame.rect = clip;
        frame.transparentIndex = thisControl.transparentIndex;
        frame.disposal = thisControl.disposal;
        frame.delayMs = thisControl.delayMs;
        const bool interlaced = (packed & 0x40) != 0;
        const auto pixels = static_cast<std::size_t>(area);
        std::int64_t written = 0;
        if (clip == QRect(left, top, width, height)) {
            bool complete = false;
            const std::size_t size = joinSubBlocks(bytes, at, data, complete);
            more = complete;
            // Decoded into a buffer kept from frame to frame, then copied
            // once into the frame's own.
            stream.resize(pixels + kSlack);
            written = static_cast<std::int64_t>(
                decodeLzwInPlace(data.data(), size, minimumCodeSize, stream.data(), pixels));
            storeRows(stream.data(), width, height, interlaced, frame.indices);
        } else {
            frame.indices.assign(pixels, 0);
            SubBlockBits bits(bytes, at);
            PixelSink sink(width, height, interlaced, clip.translated(-left, -top), frame.indices.data());
            decodeLzw(bits, minimumCodeSize, sink);
            more = bits.finish(at);
            written = sink.written();
        }
        if (written > 0)
            animation->frames.push_back(std::move(frame));
    }
    if (animation->frames.empty())
        return nullptr;
    animation->screen = screen;
    return animation;
}

GifComposer::GifComposer(std::shared_ptr<const GifAnimation> animation) : animation_(std::move(animation)) {}

const QImage &GifComposer::compose(std::size_t index)
{
    if (!animation_ || animation_->frames.empty() || animation_->screen.isEmpty()) {
        surface_ = QImage();
        return surface_;
    }
    const auto &frames = animation_->frames;
    index = std::min(index, frames.size() - 1);
    // next_ counts the frames drawn so far, so next_ - 1 is the one shown.
    if (surface_.isNull() || index + 1 < next_) {
        surface_ = QImage(animation_->screen, QImage::Format_RGB32);
        if (surface_.isNull())
            return surface_;
        surface_.fill(0xFFFFFFFFu);
        saved_ = QImage();
        next_ = 0;
    }
    const QRect screen(QPoint(0, 0), animation_->screen);
    while (next_ <= index) {
        const GifFrame &frame = frames[next_++];
        // The previous frame's disposal happens just before this one is drawn.
        if (!saved_.isNull()) {
            for (int y = 0; y < savedRect_.height(); ++y)
                std::copy_n(reinterpret_cast<const QRgb *>(saved_.constScanLine(y)), savedRect_.width(),
                            reinterpret_cast<QRgb *>(surface_.scanLine(savedRect_.top() + y)) + savedRect_.left());
            saved_ = QImage();
        }
        const QRect rect = frame.rect & screen;
        if (rect != frame.rect || frame.indices.size() < static_cast<std::size_t>(rect.width()) * rect.height())
            continue; // not a frame decodeGif would make
        if (frame.disposal == 2 || frame.disposal == 3) {
            saved_ = surface_.copy(rect);
            savedRect_ = rect;
        }
        const bool keyed = frame.transparentIndex >= 0 && frame.transparentIndex < 256;
        const QRgb key = keyed ? frame.palette[static_cast<std::size_t>(frame.transparentIndex)] & 0xFFFFFFu : 0;
        // Each index's pixel as drawn, opaque; 0 (never an opaque pixel)
        // marks the colours left out.
        std::array<QRgb, 256> drawn;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            const QRgb colour = frame.palette[i] & 0xFFFFFFu;
            drawn[i] = keyed && colour == key ? 0u : colour | 0xFF000000u;
        }
        const std::uint8_t *src = frame.indices.data();
        const auto width = static_cast<std::size_t>(rect.width());
        for (int y = 0; y < rect.height(); ++y, src += width) {
            auto *dst = reinterpret_cast<QRgb *>(surface_.scanLine(rect.top() + y)) + rect.left();
            if (keyed) {
                for (std::size_t x = 0; x < width; ++x)
                    if (const QRgb pixel = drawn[src[x]])
                        dst[x] = pixel;
            } else {
                for (std::size_t x = 0; x < width; ++x)
                    dst[x] = drawn[src[x]];
            }
        }
    }
    return surface_;
}

} // namespace tilvane::decode
