// The picture decoders on small inputs made here: the signature table, each
// format's main paths, and the damaged files that used to break decoders of
// this kind (sizes, palettes, LZW codes, runs, directories).

#include "compose/decode/Picture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

#include <csetjmp>
#include <cstdio>
#include <functional>
#include <jpeglib.h>

using namespace tilvane::decode;

namespace {

Bytes span(const QByteArray &data)
{
    return {reinterpret_cast<const std::uint8_t *>(data.constData()), static_cast<std::size_t>(data.size())};
}

void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray &out, qint64 v)
{
    put16(out, int(v & 0xFFFF));
    put16(out, int((v >> 16) & 0xFFFF));
}

// Hand-made fixtures are also written to $TILVANE_SAVE_FIXTURES when it is set,
// to seed the fuzzers with them.
void keep(const QByteArray &bytes, const QString &name)
{
    const QString dir = qEnvironmentVariable("TILVANE_SAVE_FIXTURES");
    if (dir.isEmpty())
        return;
    QString file = name;
    file.replace(QRegularExpression("[^A-Za-z0-9_.-]+"), "_");
    QFile out(QDir(dir).filePath(file));
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}

// ---- BMP -------------------------------------------------------------------

// Rows are given top row first as raw bytes; they are padded and stored
// bottom-up unless topDown.
QByteArray bmpFile(int headerSize, int width, int height, int bitCount, const QList<QRgb> &palette,
                   const QList<QByteArray> &rows, bool topDown = false, int compression = 0,
                   qint64 coloursUsed = -1)
{
    QByteArray info;
    if (headerSize == 12) {
        put32(info, 12);
        put16(info, width);
        put16(info, height);
        put16(info, 1);
        put16(info, bitCount);
    } else {
        put32(info, headerSize);
        put32(info, width);
        put32(info, topDown ? -height : height);
        put16(info, 1);
        put16(info, bitCount);
        put32(info, compression);
        put32(info, 0);
        put32(info, 2835);
        put32(info, 2835);
        put32(info, coloursUsed >= 0 ? coloursUsed : palette.size());
        put32(info, 0);
        info.append(QByteArray(headerSize - 40, '\0'));
    }
    QByteArray table;
    for (QRgb c : palette) {
        table.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (headerSize != 12)
            table.append('\0');
    }
    QByteArray pixels;
    const int stride = (width * bitCount + 31) / 32 * 4;
    for (int i = 0; i < rows.size(); ++i) {
        QByteArray row = rows[topDown ? i : rows.size() - 1 - i];
        row.append(QByteArray(std::max(0, stride - int(row.size())), '\0'));
        pixels.append(row);
    }
    QByteArray file("BM");
    put32(file, 14 + info.size() + table.size() + pixels.size());
    put32(file, 0);
    put32(file, 14 + info.size() + table.size());
    return file + info + table + pixels;
}

const QList<QRgb> kFour = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(10, 20, 30)};

// ---- icons and cursors ------------------------------------------------------

// One bitmap entry: 40-byte header, palette, colour rows, mask rows (all
// bottom-up, as stored).
QByteArray iconBitmap(int width, int height, int bitCount, const QList<QRgb> &palette,
                      const std::function<QByteArray(int row)> &colourRow,
                      const std::function<QByteArray(int row)> &maskRow, int storedHeight = -1)
{
    QByteArray out;
    put32(out, 40);
    put32(out, width);
    put32(out, storedHeight >= 0 ? storedHeight : height * 2);
    put16(out, 1);
    put16(out, bitCount);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, palette.size());
    put32(out, 0);
    for (QRgb c : palette)
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    const int stride = (width * bitCount + 31) / 32 * 4;
    const int maskStride = (width + 31) / 32 * 4;
    for (int r = height - 1; r >= 0; --r)
        out.append(colourRow(r).leftJustified(stride, '\0', true));
    for (int r = height - 1; r >= 0; --r)
        out.append(maskRow(r).leftJustified(maskStride, '\0', true));
    return out;
}

QByteArray solidIcon(int size, QRgb colour)
{
    return iconBitmap(size, size, 24, {}, [&](int) {
        QByteArray row;
        for (int x = 0; x < size; ++x)
            row.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
        return row;
    }, [](int) { return QByteArray(); });
}

struct IconEntry {
    int width;
    int height;
    int colours;
    QByteArray data;
    qint64 offset = -1; // -1: where it is stored
    qint64 size = -1;   // -1: its real size
};

QByteArray iconFile(int type, const QList<IconEntry> &entries)
{
    QByteArray out;
    put16(out, 0);
    put16(out, type);
    put16(out, entries.size());
    qint64 at = 6 + 16 * entries.size();
    QByteArray data;
    for (const IconEntry &e : entries) {
        out.append(char(e.width)).append(char(e.height)).append(char(e.colours)).append('\0');
        put16(out, 1);
        put16(out, 32);
        put32(out, e.size >= 0 ? e.size : e.data.size());
        put32(out, e.offset >= 0 ? e.offset : at);
        at += e.data.size();
        data.append(e.data);
    }
    return out + data;
}

// ---- GIF ---------------------------------------------------------------------

// Codes with their widths, packed least significant bit first into sub-blocks
// and closed by the empty sub-block.
QByteArray packCodes(const QList<QPair<int, int>> &codes, bool terminate = true)
{
    QByteArray bits;
    quint32 buffer = 0;
    int count = 0;
    for (auto [code, width] : codes) {
        buffer |= quint32(code) << count;
        count += width;
        while (count >= 8) {
            bits.append(char(buffer & 0xFF));
            buffer >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        bits.append(char(buffer & 0xFF));
    QByteArray out;
    for (qsizetype i = 0; i < bits.size(); i += 255) {
        const QByteArray block = bits.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    if (terminate)
        out.append('\0');
    return out;
}

// LZW without compression: a clear code often enough that the code width
// never grows, which every decoder must still read correctly.
QByteArray lzw(const std::vector<int> &indices, int minimumCodeSize)
{
    const int clear = 1 << minimumCodeSize;
    const int width = minimumCodeSize + 1;
    QList<QPair<int, int>> codes;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % std::size_t(clear - 2) == 0)
            codes.append({clear, width});
        codes.append({indices[i], width});
    }
    codes.append({clear + 1, width});
    return packCodes(codes);
}

struct GifBuilder {
    QByteArray bytes;

    GifBuilder(int width, int height, const QList<QRgb> &global, const char *version = "GIF89a")
    {
        bytes.append(version);
        put16(bytes, width);
        put16(bytes, height);
        bytes.append(char(global.isEmpty() ? 0 : 0x80 | tableBits(global.size())));
        bytes.append('\0').append('\0');
        appendTable(global);
    }
    static int tableBits(qsizetype entries)
    {
        int bits = 0;
        while ((2 << bits) < entries)
            ++bits;
        return bits;
    }
    void appendTable(const QList<QRgb> &table)
    {
        if (table.isEmpty())
            return;
        const int entries = 2 << tableBits(table.size());
        for (int i = 0; i < entries; ++i) {
            const QRgb c = i < table.size() ? table[i] : 0;
            bytes.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
    }
    GifBuilder &control(int disposal, int delay, int transparent = -1)
    {
        bytes.append("\x21\xF9\x04", 3);
        bytes.append(char((disposal << 2) | (transparent >= 0 ? 1 : 0)));
        put16(bytes, delay);
        bytes.append(char(std::max(transparent, 0))).append('\0');
        return *this;
    }
    // A descriptor with its local table, the code size byte and the data as given.
    GifBuilder &rawImage(QRect rect, int minimumCodeSize, const QByteArray &data, const QList<QRgb> &local = {},
                         bool interlaced = false)
    {
        bytes.append(',');
        put16(bytes, rect.x());
        put16(bytes, rect.y());
        put16(bytes, rect.width());
        put16(bytes, rect.height());
        bytes.append(char((local.isEmpty() ? 0 : 0x80 | tableBits(local.size())) | (interlaced ? 0x40 : 0)));
        appendTable(local);
        bytes.append(char(minimumCodeSize)).append(data);
        return *this;
    }
    GifBuilder &image(QRect rect, const std::vector<int> &indices, const QList<QRgb> &local = {})
    {
        return rawImage(rect, 2, lzw(indices, 2), local);
    }
    QByteArray finish() const { return bytes + ';'; }
};

const QList<QRgb> kGifColours = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 0, 0)};

std::vector<int> filled(int count, int index)
{
    return std::vector<int>(std::size_t(count), index);
}

// ---- PCX -----------------------------------------------------------------------

QByteArray pcxFile(int version, int bitsPerPixel, int planes, QRect window, int bytesPerLine, const QByteArray &data,
                   bool withPalette)
{
    QByteArray out;
    out.append('\x0A').append(char(version)).append('\x01').append(char(bitsPerPixel));
    put16(out, window.left());
    put16(out, window.top());
    put16(out, window.right());
    put16(out, window.bottom());
    put16(out, 72);
    put16(out, 72);
    out.append(QByteArray(48, '\0'));
    out.append('\0').append(char(planes));
    put16(out, bytesPerLine);
    put16(out, 1);
    out.append(QByteArray(128 - out.size(), '\0'));
    out.append(data);
    if (withPalette) {
        out.append('\x0C');
        for (int i = 0; i < 256; ++i)
            out.append(char(i)).append(char(255 - i)).append(char(i / 2));
    }
    return out;
}

QRgb pcxColour(int index)
{
    return qRgb(index, 255 - index, index / 2);
}

// ---- JPEG ------------------------------------------------------------------------

QByteArray jpegOf(const QImage &image, int quality = 95)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return out;
}

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Qt writes no CMYK JPEG, so libjpeg makes one here.
QByteArray cmykJpeg(int width, int height)
{
    jpeg_compress_struct cinfo;
    JpegErrors errors;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrors *>(c->err)->jump, 1); };
    jpeg_create_compress(&cinfo);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        free(buffer);
        return {};
    }
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * 4, 100);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    free(buffer);
    return out;
}

// Rewrites the size in the first SOF marker.
QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto marker = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// One expected pixel of a decoded picture.
struct Probe {
    QPoint at;
    QRgb colour; // compared with alpha
};

} // namespace

Q_DECLARE_METATYPE(Format)
Q_DECLARE_METATYPE(Probe)

class TestDecode : public QObject {
    Q_OBJECT

private:
    // Shared check for the still-picture tables: null when size is invalid,
    // else that size and the probed pixels, all in a short time.
    static void checkStill(const QByteArray &bytes, const QImage &image, QSize size, const QList<Probe> &probes)
    {
        keep(bytes, QString::fromLatin1(QTest::currentTestFunction()) + "-" + QTest::currentDataTag());
        if (!size.isValid()) {
            QVERIFY(image.isNull());
            return;
        }
        QCOMPARE(image.size(), size);
        for (const Probe &p : probes)
            QCOMPARE(QString::number(image.pixel(p.at), 16), QString::number(p.colour, 16));
    }

private slots:
    void sniff_data();
    void sniff();
    void bmp_data();
    void bmp();
    void icon_data();
    void icon();
    void pcx_data();
    void pcx();
    void gifFrames_data();
    void gifFrames();
    void gifLimits();
    void gifComposition();
    void gifAsPicture();
    void jpegColourAndGrey();
    void jpegScaling_data();
    void jpegScaling();
    void jpegRejected_data();
    void jpegRejected();
    void fitRule_data();
    void fitRule();
};

void TestDecode::sniff_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Format>("format");
    const QByteArray pad(10, '\0');
    QTest::newRow("bmp") << QByteArray("BM") + pad << Format::Bmp;
    QTest::newRow("jpeg") << QByteArray::fromHex("FFD8FFE00010") << Format::Jpeg;
    QTest::newRow("icon") << QByteArray::fromHex("000001000100") << Format::Icon;
    QTest::newRow("icon without images") << QByteArray::fromHex("000001000000") << Format::None;
    QTest::newRow("cursor") << QByteArray::fromHex("000002000300") << Format::Cursor;
    QTest::newRow("type 3 directory") << QByteArray::fromHex("000003000100") << Format::None;
    QTest::newRow("gif87a") << QByteArray("GIF87a") << Format::Gif;
    QTest::newRow("gif89a") << QByteArray("GIF89a") << Format::Gif;
    QTest::newRow("gif88a") << QByteArray("GIF88a") << Format::None;
    QTest::newRow("gif89b") << QByteArray("GIF89b") << Format::None;
    QTest::newRow("pcx 8-bit v5") << QByteArray::fromHex("0A0501080000") << Format::Pcx8;
    QTest::newRow("pcx 8-bit v0") << QByteArray::fromHex("0A0001080000") << Format::Pcx8;
    QTest::newRow("pcx 8-bit v6") << QByteArray::fromHex("0A0601080000") << Format::None;
    QTest::newRow("pcx 1-bit v3") << QByteArray::fromHex("0A0301010000") << Format::Pcx1;
    QTest::newRow("pcx 1-bit v5") << QByteArray::fromHex("0A0501010000") << Format::None;
    QTest::newRow("pcx unencoded") << QByteArray::fromHex("0A0500080000") << Format::None;
    QTest::newRow("png") << QByteArray::fromHex("89504E470D0A1A0A") << Format::None;
    QTest::newRow("tiff le") << QByteArray::fromHex("49492A0008000000") << Format::None;
    QTest::newRow("tiff be") << QByteArray::fromHex("4D4D002A00000008") << Format::None;
    QTest::newRow("5-byte bmp") << QByteArray("BM\0\0\0", 5) << Format::None;
    QTest::newRow("5-byte gif") << QByteArray("GIF89") << Format::None;
    QTest::newRow("empty") << QByteArray() << Format::None;
}

void TestDecode::sniff()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Format, format);
    QCOMPARE(sniffFormat(span(bytes)), format);
    if (format == Format::None)
        QVERIFY(decodePicture(span(bytes)).isNull());
}

void TestDecode::bmp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<Probe>>("probes");
    const QRgb red = kFour[0], green = kFour[1], blue = kFour[2], other = kFour[3], black = qRgb(0, 0, 0);

    // Rows top first: "\x00\x01\x02" is red, green, blue.
    const QList<QByteArray> rows8 = {QByteArray("\x00\x01\x02", 3), QByteArray("\x03\x03\x00", 3)};
    const QList<Probe> probes8 = {{{0, 0}, red}, {{1, 0}, green}, {{2, 0}, blue}, {{0, 1}, other}, {{2, 1}, red}};
    QTest::newRow("8-bit bottom-up") << bmpFile(40, 3, 2, 8, kFour, rows8) << QSize(3, 2) << probes8;
    QTest::newRow("8-bit top-down") << bmpFile(40, 3, 2, 8, kFour, rows8, true) << QSize(3, 2) << probes8;
    QTest::newRow("8-bit core header") << bmpFile(12, 3, 2, 8, kFour + QList<QRgb>(252, 0), rows8) << QSize(3, 2)
                                       << probes8;
    QTest::newRow("8-bit v5 header") << bmpFile(124, 3, 2, 8, kFour, rows8) << QSize(3, 2) << probes8;
    QTest::newRow("4-bit") << bmpFile(40, 3, 1, 4, kFour, {QByteArray("\x12\x30", 2)}) << QSize(3, 1)
                           << QList<Probe>{{{0, 0}, green}, {{1, 0}, blue}, {{2, 0}, other}};
    QTest::newRow("1-bit") << bmpFile(40, 10, 1, 1, kFour.mid(0, 2), {QByteArray("\x80\x40", 2)}) << QSize(10, 1)
                           << QList<Probe>{{{0, 0}, green}, {{1, 0}, red}, {{9, 0}, green}};
    QTest::newRow("24-bit") << bmpFile(40, 2, 1, 24, {}, {QByteArray("\x01\x02\x03\x04\x05\x06", 6)}) << QSize(2, 1)
                            << QList<Probe>{{{0, 0}, qRgb(3, 2, 1)}, {{1, 0}, qRgb(6, 5, 4)}};
    QTest::newRow("32-bit alpha byte ignored") << bmpFile(40, 1, 1, 32, {}, {QByteArray("\x01\x02\x03\x00", 4)})
                                               << QSize(1, 1) << QList<Probe>{{{0, 0}, qRgb(3, 2, 1)}};

    // An index past a two-entry palette reads no memory after it: black.
    QTest::newRow("index beyond palette") << bmpFile(40, 3, 1, 8, kFour.mid(0, 2), {QByteArray("\x01\x02\xFF", 3)})
                                          << QSize(3, 1)
                                          << QList<Probe>{{{0, 0}, green}, {{1, 0}, black}, {{2, 0}, black}};
    // The last row may lack its padding; any less is a cut-off file.
    QByteArray unpadded = bmpFile(40, 1, 2, 24, {}, {QByteArray("\x01\x02\x03"), QByteArray("\x04\x05\x06")});
    unpadded.chop(1);
    QTest::newRow("last row unpadded") << unpadded << QSize(1, 2)
                                       << QList<Probe>{{{0, 0}, qRgb(3, 2, 1)}, {{0, 1}, qRgb(6, 5, 4)}};
    QByteArray cut = unpadded;
    cut.chop(1);
    QTest::newRow("pixels cut short") << cut << QSize() << QList<Probe>{};

    QTest::newRow("huge declared size") << bmpFile(40, 65535, 65535, 24, {}, {QByteArray(6, 'x')}) << QSize()
                                        << QList<Probe>{};
    QTest::newRow("within dimension, over pixels") << bmpFile(40, 32767, 32767, 8, kFour, {QByteArray(4, '\0')})
                                                   << QSize() << QList<Probe>{};
    QTest::newRow("negative width") << bmpFile(40, -3, 2, 8, kFour, rows8) << QSize() << QList<Probe>{};
    QTest::newRow("height of int min") << bmpFile(40, 3, 0, 8, kFour, rows8).replace(22, 4, "\0\0\0\x80", 4)
                                       << QSize() << QList<Probe>{};
    QTest::newRow("zero height") << bmpFile(40, 3, 0, 8, kFour, {}) << QSize() << QList<Probe>{};
    QTest::newRow("run-length") << bmpFile(40, 3, 2, 8, kFour, rows8, false, 1) << QSize() << QList<Probe>{};
    QTest::newRow("bit fields") << bmpFile(40, 1, 1, 32, {}, {QByteArray(16, '\xFF')}, false, 3) << QSize()
                                << QList<Probe>{};
    QTest::newRow("16-bit") << bmpFile(40, 2, 1, 16, {}, {QByteArray(4, '\x1F')}) << QSize() << QList<Probe>{};
    QTest::newRow("unknown header size") << bmpFile(64, 3, 2, 8, kFour, rows8) << QSize() << QList<Probe>{};
    QByteArray cutTable = bmpFile(40, 3, 2, 8, kFour, rows8).left(14 + 40 + 6);
    QTest::newRow("palette cut short") << cutTable << QSize() << QList<Probe>{};
    QTest::newRow("colour count far too large") << bmpFile(40, 3, 2, 8, kFour, rows8, false, 0, 0x7FFFFFFF)
                                                << QSize(3, 2) << probes8;
}

void TestDecode::bmp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QList<Probe>, probes);
    const QImage image = decodePicture(span(bytes)).still;
    checkStill(bytes, image, size, probes);
    if (size.isValid())
        QCOMPARE(image.format(), QImage::Format_RGB32);
}

void TestDecode::icon_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<Probe>>("probes");
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), grey = qRgb(9, 9, 9);
    const QByteArray r16 = solidIcon(16, red), g32 = solidIcon(32, green), b32 = solidIcon(32, blue),
                     y48 = solidIcon(48, grey);

    QTest::newRow("first 32-wide with 16 colours")
        << iconFile(1, {{16, 16, 16, r16}, {32, 32, 0, g32}, {32, 32, 16, b32}, {48, 48, 16, y48}}) << QSize(32, 32)
        << QList<Probe>{{{0, 0}, qRgba(0, 0, 255, 255)}};
    QTest::newRow("no match takes the last")
        << iconFile(1, {{32, 32, 0, g32}, {16, 16, 16, r16}, {48, 48, 255, y48}}) << QSize(48, 48)
        << QList<Probe>{{{47, 47}, qRgba(9, 9, 9, 255)}};
    QTest::newRow("cursor") << iconFile(2, {{16, 16, 2, r16}, {32, 32, 16, b32}}) << QSize(32, 32)
                            << QList<Probe>{{{5, 5}, qRgba(0, 0, 255, 255)}};

    // 4-bit entry, 4×2: mask bit set on the top-left pixel only.
    const QByteArray masked = iconBitmap(4, 2, 4, {red, green}, [](int row) {
        return row == 0 ? QByteArray("\x00\x00", 2) : QByteArray("\x11\x11", 2);
    }, [](int row) { return row == 0 ? QByteArray("\x80", 1) : QByteArray("\x00", 1); });
    QTest::newRow("and mask") << iconFile(1, {{4, 2, 2, masked}}) << QSize(4, 2)
                              << QList<Probe>{{{0, 0}, qRgba(255, 0, 0, 0)}, {{1, 0}, qRgba(255, 0, 0, 255)},
                                              {{0, 1}, qRgba(0, 255, 0, 255)}};

    // 32-bit entries: their alpha when any is set, else the mask.
    const auto rgba = [](int alpha) {
        return [alpha](int) { return QByteArray("\x03\x02\x01", 3) + char(alpha) + QByteArray("\x06\x05\x04\x00", 4); };
    };
    const auto maskFirst = [](int) { return QByteArray("\x80", 1); };
    QTest::newRow("32-bit alpha") << iconFile(1, {{2, 1, 0, iconBitmap(2, 1, 32, {}, rgba(0x80), maskFirst)}})
                                  << QSize(2, 1)
                                  << QList<Probe>{{{0, 0}, qRgba(1, 2, 3, 0x80)}, {{1, 0}, qRgba(4, 5, 6, 0)}};
    QTest::newRow("32-bit zero alpha uses mask")
        << iconFile(1, {{2, 1, 0, iconBitmap(2, 1, 32, {}, rgba(0), maskFirst)}}) << QSize(2, 1)
        << QList<Probe>{{{0, 0}, qRgba(1, 2, 3, 0)}, {{1, 0}, qRgba(4, 5, 6, 255)}};

    QByteArray png;
    {
        QImage source(3, 2, QImage::Format_ARGB32);
        source.fill(qRgba(10, 20, 30, 40));
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        source.save(&buffer, "PNG");
    }
    QTest::newRow("png entry") << iconFile(1, {{3, 2, 0, png}}) << QSize(3, 2)
                               << QList<Probe>{{{2, 1}, qRgba(10, 20, 30, 40)}};
    QByteArray hugePng = png;
    hugePng.replace(16, 8, QByteArray::fromHex("0000FFFF0000FFFF"));
    QTest::newRow("png entry claiming 65535 square") << iconFile(1, {{0, 0, 0, hugePng}}) << QSize()
                                                     << QList<Probe>{};

    // The directory says 16×16 in 10 bytes; the header's 32×32 wins and the
    // data is read up to the file's end.
    QTest::newRow("directory disagrees with header") << iconFile(1, {{16, 16, 16, b32, -1, 10}}) << QSize(32, 32)
                                                     << QList<Probe>{{{31, 31}, qRgba(0, 0, 255, 255)}};
    QTest::newRow("size past the end") << iconFile(1, {{32, 32, 16, b32, -1, 0x7FFFFFFF}}) << QSize(32, 32)
                                       << QList<Probe>{{{0, 0}, qRgba(0, 0, 255, 255)}};
    QTest::newRow("offset past the end") << iconFile(1, {{32, 32, 16, b32, 0x7FFFFFF0, -1}}) << QSize()
                                         << QList<Probe>{};
    QByteArray cutMask = iconFile(1, {{32, 32, 16, b32}});
    cutMask.chop(1);
    QTest::newRow("mask cut short") << cutMask << QSize() << QList<Probe>{};
    QTest::newRow("height 0") << iconFile(1, {{32, 32, 16, iconBitmap(32, 32, 24, {}, [](int) { return QByteArray(); },
                                                                      [](int) { return QByteArray(); }, 0)}})
                              << QSize() << QList<Probe>{};
    QTest::newRow("header claims 30000 square")
        << iconFile(1, {{32, 32, 16, QByteArray(b32).replace(4, 8, QByteArray::fromHex("30750000E0EA0000"))}})
        << QSize() << QList<Probe>{};
    QTest::newRow("directory cut short") << iconFile(1, {{32, 32, 16, b32}}).left(12) << QSize() << QList<Probe>{};
    QByteArray compressed = iconFile(1, {{32, 32, 16, b32}});
    compressed[6 + 16 + 16] = 1;
    QTest::newRow("compressed entry") << compressed << QSize() << QList<Probe>{};
}

void TestDecode::icon()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QList<Probe>, probes);
    const QImage image = decodePicture(span(bytes)).still;
    checkStill(bytes, image, size, probes);
    if (size.isValid())
        QCOMPARE(image.format(), QImage::Format_ARGB32);
}

void TestDecode::pcx_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<Probe>>("probes");
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);

    // 3×2 at window (10,20): literal bytes and one run of 2 (0xC2 0x07).
    const QByteArray simple("\x01\x02\x03\x04\xC2\x07", 6);
    QTest::newRow("8-bit") << pcxFile(5, 8, 1, QRect(10, 20, 3, 2), 3, simple, true) << QSize(3, 2)
                           << QList<Probe>{{{0, 0}, pcxColour(1)}, {{2, 0}, pcxColour(3)},
                                           {{0, 1}, pcxColour(4)}, {{2, 1}, pcxColour(7)}};
    // Literal values of 0xC0 and above go through a run of one.
    QTest::newRow("high value as run of one") << pcxFile(5, 8, 1, QRect(0, 0, 2, 1), 2, "\xC1\xC8\xC1\xFF", true)
                                              << QSize(2, 1)
                                              << QList<Probe>{{{0, 0}, pcxColour(0xC8)}, {{1, 0}, pcxColour(0xFF)}};
    // Five bytes a line for a width of 3: the padding is skipped.
    QTest::newRow("odd bytes per line") << pcxFile(5, 8, 1, QRect(0, 0, 3, 2), 5, "\x01\x02\x03\x09\x09\x04\x05\x06\x09\x09", true)
                                        << QSize(3, 2) << QList<Probe>{{{2, 0}, pcxColour(3)}, {{0, 1}, pcxColour(4)}};
    // One run of 4 covers both 2-byte lines.
    QTest::newRow("run crossing a row") << pcxFile(5, 8, 1, QRect(0, 0, 2, 2), 2, "\xC4\x05", true) << QSize(2, 2)
                                        << QList<Probe>{{{0, 0}, pcxColour(5)}, {{1, 1}, pcxColour(5)}};
    // A run longer than what is left stops at the end of the picture.
    QTest::newRow("run past the end") << pcxFile(5, 8, 1, QRect(0, 0, 2, 1), 2, "\xFF\x06", true) << QSize(2, 1)
                                      << QList<Probe>{{{1, 0}, pcxColour(6)}};
    QTest::newRow("1-bit") << pcxFile(3, 1, 1, QRect(0, 0, 10, 1), 2, "\xA0\x40", false) << QSize(10, 1)
                           << QList<Probe>{{{0, 0}, white}, {{1, 0}, black}, {{2, 0}, white}, {{9, 0}, white}};

    QTest::newRow("255 planes") << pcxFile(5, 8, 255, QRect(0, 0, 2, 1), 2, "\x01\x02", true) << QSize()
                                << QList<Probe>{};
    QTest::newRow("3 planes") << pcxFile(5, 8, 3, QRect(0, 0, 2, 1), 2, "\x01\x02\x01\x02\x01\x02", true)
                              << QSize() << QList<Probe>{};
    QTest::newRow("no palette") << pcxFile(5, 8, 1, QRect(0, 0, 2, 1), 2, QByteArray(800, '\x01'), false)
                                << QSize() << QList<Probe>{};
    QTest::newRow("data cut short") << pcxFile(5, 8, 1, QRect(0, 0, 4, 4), 4, "\xC4\x01", true) << QSize()
                                    << QList<Probe>{};
    QTest::newRow("run value missing") << pcxFile(3, 1, 1, QRect(0, 0, 8, 1), 1, "\xC1", false) << QSize()
                                       << QList<Probe>{};
    QTest::newRow("line shorter than width") << pcxFile(5, 8, 1, QRect(0, 0, 3, 1), 2, "\x01\x02\x03", true)
                                             << QSize() << QList<Probe>{};
    QTest::newRow("max below min") << pcxFile(5, 8, 1, QRect(QPoint(5, 0), QPoint(2, 0)), 2, "\x01\x02", true)
                                   << QSize() << QList<Probe>{};
    QTest::newRow("65535 square window") << pcxFile(5, 8, 1, QRect(0, 0, 65535, 65535), 65535, "\xFF\x01", true)
                                         << QSize() << QList<Probe>{};
    QTest::newRow("large window, tiny data") << pcxFile(5, 8, 1, QRect(0, 0, 8000, 8000), 8000, "\xFF\x01", true)
                                             << QSize() << QList<Probe>{};
}

void TestDecode::pcx()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QList<Probe>, probes);
    checkStill(bytes, decodePicture(span(bytes)).still, size, probes);
}

void TestDecode::gifFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QList<QRect>>("rects");
    QTest::addColumn<std::vector<int>>("firstIndices"); // empty: not checked

    const auto one = [](QRect rect, const std::vector<int> &indices) {
        return GifBuilder(4, 4, kGifColours).image(rect, indices).finish();
    };
    const std::vector<int> row = {1, 2, 3, 0};
    QTest::newRow("one frame") << one(QRect(0, 0, 4, 1), row) << QSize(4, 4) << QList<QRect>{QRect(0, 0, 4, 1)}
                               << row;
    QTest::newRow("gif87a") << GifBuilder(4, 4, kGifColours, "GIF87a").image(QRect(0, 0, 4, 1), row).finish()
                            << QSize(4, 4) << QList<QRect>{QRect(0, 0, 4, 1)} << row;
    QTest::newRow("8-bit codes")
        << GifBuilder(2, 1, kGifColours).rawImage(QRect(0, 0, 2, 1), 8, lzw({200, 7}, 8)).finish() << QSize(2, 1)
        << QList<QRect>{QRect(0, 0, 2, 1)} << std::vector<int>{200, 7};

    // Real LZW: codes 4 (clear), 1, 6 (the entry being made: 1 1), 5 (end).
    QTest::newRow("code naming the next entry")
        << GifBuilder(3, 1, kGifColours).rawImage(QRect(0, 0, 3, 1), 2, packCodes({{4, 3}, {1, 3}, {6, 3}, {5, 3}})).finish()
        << QSize(3, 1) << QList<QRect>{QRect(0, 0, 3, 1)} << std::vector<int>{1, 1, 1};
    QTest::newRow("code above the next free code")
        << GifBuilder(4, 1, kGifColours).rawImage(QRect(0, 0, 4, 1), 2, packCodes({{4, 3}, {2, 3}, {7, 3}, {1, 3}})).finish()
        << QSize(4, 1) << QList<QRect>{QRect(0, 0, 4, 1)} << std::vector<int>{2, 0, 0, 0};
    QTest::newRow("non-literal after clear")
        << GifBuilder(4, 1, kGifColours).rawImage(QRect(0, 0, 4, 1), 2, packCodes({{4, 3}, {6, 3}})).finish()
        << QSize() << QList<QRect>{} << std::vector<int>{};
    QTest::newRow("data ends early")
        << GifBuilder(4, 1, kGifColours).rawImage(QRect(0, 0, 4, 1), 2, packCodes({{4, 3}, {3, 3}, {1, 3}})).finish()
        << QSize(4, 1) << QList<QRect>{QRect(0, 0, 4, 1)} << std::vector<int>{3, 1, 0, 0};
    QByteArray cutFile = GifBuilder(4, 1, kGifColours).image(QRect(0, 0, 4, 1), row).finish();
    cutFile.chop(4);
    QTest::newRow("file ends inside the data") << cutFile << QSize(4, 1) << QList<QRect>{QRect(0, 0, 4, 1)}
                                               << std::vector<int>{};
    QTest::newRow("minimum code size 13")
        << GifBuilder(4, 4, kGifColours).rawImage(QRect(0, 0, 4, 1), 13, packCodes({{8192, 14}, {1, 14}})).finish()
        << QSize() << QList<QRect>{} << std::vector<int>{};
    QTest::newRow("minimum code size 13 then a good frame")
        << GifBuilder(4, 4, kGifColours)
               .rawImage(QRect(0, 0, 4, 1), 13, packCodes({{8192, 14}, {1, 14}}))
               .image(QRect(0, 1, 4, 1), row)
               .finish()
        << QSize(4, 4) << QList<QRect>{QRect(0, 1, 4, 1)} << row;
    QTest::newRow("minimum code size 1")
        << GifBuilder(4, 4, kGifColours).rawImage(QRect(0, 0, 2, 1), 1, packCodes({{2, 2}, {1, 2}, {0, 2}})).finish()
        << QSize() << QList<QRect>{} << std::vector<int>{};

    QTest::newRow("frame of height 0")
        << GifBuilder(4, 4, kGifColours).rawImage(QRect(0, 0, 4, 0), 2, lzw({}, 2)).image(QRect(0, 0, 1, 1), {2}).finish()
        << QSize(4, 4) << QList<QRect>{QRect(0, 0, 1, 1)} << std::vector<int>{2};
    QTest::newRow("only a frame of height 0")
        << GifBuilder(4, 4, kGifColours).rawImage(QRect(0, 0, 4, 0), 2, lzw(row, 2)).finish() << QSize()
        << QList<QRect>{} << std::vector<int>{};
    QTest::newRow("frame outside the screen")
        << GifBuilder(4, 4, kGifColours).image(QRect(10, 10, 2, 2), filled(4, 1)).image(QRect(0, 0, 1, 1), {3}).finish()
        << QSize(4, 4) << QList<QRect>{QRect(0, 0, 1, 1)} << std::vector<int>{3};
    // 3×3 at (2,2) on a 4×4 screen keeps its top-left 2×2.
    QTest::newRow("frame partly outside")
        << GifBuilder(4, 4, kGifColours).image(QRect(2, 2, 3, 3), {1, 2, 3, 2, 3, 1, 3, 1, 2}).finish() << QSize(4, 4)
        << QList<QRect>{QRect(2, 2, 2, 2)} << std::vector<int>{1, 2, 2, 3};
    QTest::newRow("frame at 65535")
        << GifBuilder(4, 4, kGifColours).image(QRect(65535, 65535, 1, 1), {1}).finish() << QSize() << QList<QRect>{}
        << std::vector<int>{};
    // With no logical screen the first frame's extent serves.
    QTest::newRow("screen 0x0") << GifBuilder(0, 0, kGifColours).image(QRect(1, 1, 2, 1), {2, 3}).finish()
                                << QSize(3, 2) << QList<QRect>{QRect(1, 1, 2, 1)} << std::vector<int>{2, 3};
    QTest::newRow("screen 65535 square") << GifBuilder(65535, 65535, kGifColours).image(QRect(0, 0, 1, 1), {1}).finish()
                                         << QSize() << QList<QRect>{} << std::vector<int>{};
    // Rows 0, 2 (pass 3 starts at 2), 1, 3 as stored: 4 rows of one pixel.
    QTest::newRow("interlaced")
        << GifBuilder(1, 4, kGifColours).rawImage(QRect(0, 0, 1, 4), 2, lzw({0, 2, 1, 3}, 2), {}, true).finish()
        << QSize(1, 4) << QList<QRect>{QRect(0, 0, 1, 4)} << std::vector<int>{0, 1, 2, 3};
    QTest::newRow("no colour table") << GifBuilder(2, 1, {}).image(QRect(0, 0, 2, 1), {1, 0}).finish() << QSize(2, 1)
                                     << QList<QRect>{QRect(0, 0, 2, 1)} << std::vector<int>{1, 0};
    QTest::newRow("extension cut short ends the file")
        << GifBuilder(4, 4, kGifColours).image(QRect(0, 0, 1, 1), {1}).bytes + "!\x01junk" << QSize(4, 4)
        << QList<QRect>{QRect(0, 0, 1, 1)} << std::vector<int>{1};
    QTest::newRow("global table cut short") << QByteArray("GIF89a\x04\x00\x04\x00\x87\x00\x00\x01\x02", 15)
                                            << QSize() << QList<QRect>{} << std::vector<int>{};
}

void TestDecode::gifFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, screen);
    QFETCH(QList<QRect>, rects);
    QFETCH(std::vector<int>, firstIndices);
    keep(bytes, QString("gif-") + QTest::currentDataTag() + ".gif");
    const auto animation = decodeGif(span(bytes));
    if (!screen.isValid()) {
        QVERIFY(!animation);
        QVERIFY(decodePicture(span(bytes)).isNull());
        return;
    }
    QVERIFY(animation);
    QCOMPARE(animation->screen, screen);
    QCOMPARE(int(animation->frames.size()), rects.size());
    for (int i = 0; i < rects.size(); ++i) {
        const GifFrame &frame = animation->frames[std::size_t(i)];
        QCOMPARE(frame.rect, rects[i]);
        QCOMPARE(frame.indices.size(), std::size_t(rects[i].width() * rects[i].height()));
    }
    if (!firstIndices.empty())
        QCOMPARE(std::vector<int>(animation->frames[0].indices.begin(), animation->frames[0].indices.end()),
                 firstIndices);
}

void TestDecode::gifLimits()
{
    // Reading stops at the frame cap, the frames before it kept.
    GifBuilder many(1, 1, kGifColours);
    for (std::size_t i = 0; i < kMaxGifFrames + 5; ++i)
        many.image(QRect(0, 0, 1, 1), {int(i % 4)});
    auto animation = decodeGif(span(many.finish()));
    QVERIFY(animation);
    QCOMPARE(animation->frames.size(), kMaxGifFrames);

    // And at the cap on index bytes: four full 8192-square frames fill it.
    GifBuilder large(8192, 8192, kGifColours);
    for (int i = 0; i < 6; ++i)
        large.image(QRect(0, 0, 8192, 8192), {1, 2});
    animation = decodeGif(span(large.finish()));
    QVERIFY(animation);
    QCOMPARE(animation->frames.size(), std::size_t(kMaxGifIndexBytes / (8192 * 8192)));
    // Each kept what it decoded and index 0 after it.
    QCOMPARE(int(animation->frames[3].indices[1]), 2);
    QCOMPARE(int(animation->frames[3].indices[2]), 0);
}

void TestDecode::gifComposition()
{
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
               black = qRgb(0, 0, 0);
    // Frame 1's table repeats its transparent colour (green) at index 2: both
    // indices are left out. Its disposal 2 puts back what it covered (blue and
    // white), not a background fill; frame 2's disposal 3 does the same.
    const QList<QRgb> local = {red, green, green, blue};
    const QByteArray bytes = GifBuilder(3, 1, kGifColours)
                                 .control(1, 10)
                                 .image(QRect(0, 0, 1, 1), {2})
                                 .control(2, 0, 1)
                                 .image(QRect(0, 0, 3, 1), {0, 1, 2}, local)
                                 .control(3, 7)
                                 .image(QRect(2, 0, 1, 1), {0})
                                 .image(QRect(1, 0, 1, 1), {3})
                                 .finish();
    keep(bytes, "gif-composition.gif");
    const auto animation = decodeGif(span(bytes));
    QVERIFY(animation);
    QCOMPARE(animation->frames.size(), std::size_t(4));
    QCOMPARE(animation->frames[0].delayMs, 100);
    QCOMPARE(animation->frames[1].delayMs, 0);
    QCOMPARE(animation->frames[1].transparentIndex, 1);
    QCOMPARE(animation->frames[2].transparentIndex, -1);
    // A control block applies to the next frame only.
    QCOMPARE(animation->frames[3].disposal, 0);

    GifComposer composer(animation);
    const auto pixels = [](const QImage &image) {
        QList<QRgb> out;
        for (int x = 0; x < image.width(); ++x)
            out.append(image.pixel(x, 0));
        return out;
    };
    QCOMPARE(pixels(composer.compose(0)), (QList<QRgb>{blue, white, white}));
    QCOMPARE(pixels(composer.compose(1)), (QList<QRgb>{red, white, white}));
    QCOMPARE(pixels(composer.compose(2)), (QList<QRgb>{blue, white, red}));
    QCOMPARE(pixels(composer.compose(3)), (QList<QRgb>{blue, black, white}));
    // Asking for the same frame again changes nothing; going back restarts
    // from white, and skipping ahead composes the frames in between.
    QCOMPARE(pixels(composer.compose(3)), (QList<QRgb>{blue, black, white}));
    QCOMPARE(pixels(composer.compose(0)), (QList<QRgb>{blue, white, white}));
    QCOMPARE(pixels(composer.compose(2)), (QList<QRgb>{blue, white, red}));
    QCOMPARE(composer.compose(0).format(), QImage::Format_RGB32);

    // Disposal 3 on the first frame restores the white start.
    const QByteArray first = GifBuilder(2, 1, kGifColours)
                                 .control(3, 0)
                                 .image(QRect(0, 0, 1, 1), {2})
                                 .image(QRect(1, 0, 1, 1), {0})
                                 .finish();
    keep(first, "gif-first-frame-restores.gif");
    GifComposer restoring(decodeGif(span(first)));
    QCOMPARE(pixels(restoring.compose(0)), (QList<QRgb>{blue, white}));
    QCOMPARE(pixels(restoring.compose(1)), (QList<QRgb>{white, red}));

    GifComposer none(nullptr);
    QVERIFY(none.compose(0).isNull());
}

void TestDecode::gifAsPicture()
{
    const QByteArray still = GifBuilder(2, 1, kGifColours).control(0, 0, 1).image(QRect(0, 0, 2, 1), {1, 2}).finish();
    DecodedPicture picture = decodePicture(span(still));
    QVERIFY(!picture.animation);
    QCOMPARE(picture.still.size(), QSize(2, 1));
    QCOMPARE(picture.still.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(picture.still.pixel(1, 0), qRgb(0, 0, 255));

    // The still of an animation is its first frame on the white screen.
    const QByteArray animated =
        GifBuilder(3, 2, kGifColours).image(QRect(1, 1, 1, 1), {0}).image(QRect(0, 0, 1, 1), {1}).finish();
    picture = decodePicture(span(animated));
    QVERIFY(picture.animation);
    QCOMPARE(picture.animation->frames.size(), std::size_t(2));
    QCOMPARE(picture.still.size(), QSize(3, 2));
    QCOMPARE(picture.still.pixel(1, 1), qRgb(255, 0, 0));
    QCOMPARE(picture.still.pixel(0, 0), qRgb(255, 255, 255));
}

void TestDecode::jpegColourAndGrey()
{
    QImage colour(64, 48, QImage::Format_RGB32);
    colour.fill(qRgb(200, 30, 40));
    for (int y = 24; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            colour.setPixel(x, y, qRgb(20, 60, 220));
    const QByteArray colourJpeg = jpegOf(colour);
    keep(colourJpeg, "colour.jpg");
    QImage decoded = decodePicture(span(colourJpeg)).still;
    QCOMPARE(decoded.size(), QSize(64, 48));
    QCOMPARE(decoded.format(), QImage::Format_RGB32);
    QVERIFY(near(decoded.pixel(10, 5), qRgb(200, 30, 40), 8));
    QVERIFY(near(decoded.pixel(50, 40), qRgb(20, 60, 220), 8));

    QImage grey(40, 30, QImage::Format_Grayscale8);
    grey.fill(90);
    for (int y = 0; y < 30; ++y)
        std::fill_n(grey.scanLine(y), 20, uchar(230));
    const QByteArray greyJpeg = jpegOf(grey);
    keep(greyJpeg, "grey.jpg");
    decoded = decodeJpeg(span(greyJpeg));
    QCOMPARE(decoded.size(), QSize(40, 30));
    const QRgb left = decoded.pixel(5, 15), right = decoded.pixel(35, 15);
    QVERIFY(qRed(left) == qGreen(left) && qGreen(left) == qBlue(left));
    QVERIFY(near(left, qRgb(230, 230, 230), 6));
    QVERIFY(near(right, qRgb(90, 90, 90), 6));
}

void TestDecode::jpegScaling_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QSize>("decoded");
    const QSize square(102, 102);
    QTest::newRow("6000x4000 to 1/8") << QSize(6000, 4000) << square << QSize(750, 500);
    QTest::newRow("640x480 to 2/8") << QSize(640, 480) << square << QSize(160, 120);
    QTest::newRow("200x99 to 5/8") << QSize(200, 99) << square << QSize(125, 62);
    QTest::newRow("103x102 stays") << QSize(103, 102) << square << QSize(103, 102);
    QTest::newRow("smaller than the box") << QSize(50, 40) << square << QSize(50, 40);
    QTest::newRow("no target") << QSize(640, 480) << QSize() << QSize(640, 480);
}

void TestDecode::jpegScaling()
{
    QFETCH(QSize, stored);
    QFETCH(QSize, target);
    QFETCH(QSize, decoded);
    QImage source(stored, QImage::Format_RGB32);
    source.fill(qRgb(40, 140, 90));
    const QByteArray bytes = jpegOf(source, 50);
    const QImage image = decodeJpeg(span(bytes), target);
    QCOMPARE(image.size(), decoded);
    QVERIFY(near(image.pixel(image.width() / 2, image.height() / 2), qRgb(40, 140, 90), 8));
    if (target.isValid())
        QCOMPARE(fittedSize(image.size(), target), fittedSize(stored, target));
}

void TestDecode::jpegRejected_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(qRgb(1, 2, 3));
    const QByteArray good = jpegOf(small);
    QTest::newRow("cmyk") << cmykJpeg(16, 16);
    QTest::newRow("garbage after the signature") << QByteArray::fromHex("FFD8") + QByteArray(200, '\x5A');
    QTest::newRow("header only") << good.left(20);
    QTest::newRow("40000 square") << withJpegSize(good, 40000, 40000);
    QTest::newRow("zero width") << withJpegSize(good, 0, 16);
}

void TestDecode::jpegRejected()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!bytes.isEmpty());
    keep(bytes, QString("jpeg-") + QTest::currentDataTag() + ".jpg");
    QVERIFY(decodeJpeg(span(bytes)).isNull());
    QVERIFY(decodePicture(span(bytes)).isNull());
}

void TestDecode::fitRule_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("fitted");
    QTest::newRow("fits") << QSize(50, 40) << QSize(50, 40);
    QTest::newRow("exact") << QSize(102, 102) << QSize(102, 102);
    QTest::newRow("200x100") << QSize(200, 100) << QSize(102, 51);
    QTest::newRow("200x99") << QSize(200, 99) << QSize(102, 50);
    QTest::newRow("100x300") << QSize(100, 300) << QSize(34, 102);
    QTest::newRow("640x480") << QSize(640, 480) << QSize(102, 76);
    QTest::newRow("103x102") << QSize(103, 102) << QSize(102, 101);
}

void TestDecode::fitRule()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, fitted);
    QCOMPARE(fittedSize(picture, QSize(102, 102)), fitted);
}

QTEST_MAIN(TestDecode)
#include "test_decode.moc"
