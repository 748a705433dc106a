#include "compose/FontRecord.h"

#include "platform/Platform.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tilvane {
namespace {

std::int32_t readInt32(const char *p)
{
    std::uint32_t v = std::uint32_t(std::uint8_t(p[0])) | std::uint32_t(std::uint8_t(p[1])) << 8
                      | std::uint32_t(std::uint8_t(p[2])) << 16 | std::uint32_t(std::uint8_t(p[3])) << 24;
    return std::int32_t(v);
}

void writeInt32(QByteArray &out, std::int32_t value)
{
    const auto v = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace

std::optional<FontRecord> FontRecord::parse(const QByteArray &bytes)
{
    if (bytes.size() != kSize)
        return std::nullopt;
    const char *p = bytes.constData();
    FontRecord r;
    r.height = readInt32(p);
    r.width = readInt32(p + 4);
    r.escapement = readInt32(p + 8);
    r.orientation = readInt32(p + 12);
    r.weight = readInt32(p + 16);
    r.italic = std::uint8_t(p[20]);
    r.underline = std::uint8_t(p[21]);
    r.strikeOut = std::uint8_t(p[22]);
    r.charSet = std::uint8_t(p[23]);
    r.outPrecision = std::uint8_t(p[24]);
    r.clipPrecision = std::uint8_t(p[25]);
    r.quality = std::uint8_t(p[26]);
    r.pitchAndFamily = std::uint8_t(p[27]);
    std::memcpy(r.faceName.data(), p + 28, kFaceBytes);
    return r;
}

QByteArray FontRecord::serialise() const
{
    QByteArray out;
    out.reserve(kSize);
    writeInt32(out, height);
    writeInt32(out, width);
    writeInt32(out, escapement);
    writeInt32(out, orientation);
    writeInt32(out, weight);
    for (std::uint8_t b : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality,
                           pitchAndFamily})
        out.append(char(b));
    out.append(faceName.data(), kFaceBytes);
    return out;
}

QByteArray FontRecord::faceBytes() const
{
    const auto end = std::find(faceName.begin(), faceName.end(), '\0');
    return QByteArray(faceName.data(), int(end - faceName.begin()));
}

QString FontRecord::face() const { return fromGbk(faceBytes()); }

bool FontRecord::setFaceBytes(const QByteArray &gbk)
{
    if (gbk.isEmpty() || gbk.size() > kFaceBytes - 1 || gbk.contains('\0'))
        return false;
    faceName.fill('\0');
    std::memcpy(faceName.data(), gbk.constData(), size_t(gbk.size()));
    return true;
}

FontRecord FontRecord::forDrawing() const
{
    FontRecord copy = *this;
    copy.charSet = 1;        // DEFAULT_CHARSET
    copy.outPrecision = 0;
    copy.clipPrecision = 0;
    copy.quality = 2;        // PROOF_QUALITY
    copy.pitchAndFamily = 0;
    return copy;
}

FontRecord songTiDefinitionRecord()
{
    FontRecord r;
    r.height = -12;
    r.weight = 400;
    r.charSet = 134;
    r.outPrecision = 3;
    r.clipPrecision = 2;
    r.quality = 1;
    r.pitchAndFamily = 2;
    r.setFaceBytes(toGbk(QStringLiteral("宋体")));
    return r;
}

QFont qfontFromRecord(const FontRecord &record, const QFont &defaultGuiFont)
{
    QFont font(defaultGuiFont);
    const QString face = record.face();
    if (!face.isEmpty())
        font.setFamilies({face});

    const int defaultPixels = defaultGuiFont.pixelSize() > 0 ? defaultGuiFont.pixelSize() : 12;
    if (record.height < 0) {
        // Negative: the character (em) height, which is what a pixel size means in Qt.
        font.setPixelSize(std::max(1, int(std::min<std::int64_t>(-std::int64_t(record.height), 32767))));
    } else if (record.height > 0) {
        // Positive: the cell height, ascent plus descent; scale the em size to match.
        QFont probe(font);
        probe.setPixelSize(100);
        const QFontMetricsF metrics(probe);
        const qreal cell = metrics.ascent() + metrics.descent();
        const qreal em = cell > 0 ? record.height * 100.0 / cell : record.height;
        font.setPixelSize(std::clamp(int(std::lround(em)), 1, 32767));
    } else {
        font.setPixelSize(defaultPixels);
    }

    const int weight = record.weight <= 0 ? 400 : std::min(record.weight, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    return font;
}

QFont drawingFont(const std::optional<QByteArray> &record, const QFont &defaultGuiFont)
{
    if (!record)
        return defaultGuiFont;
    const auto parsed = FontRecord::parse(*record);
    if (!parsed)
        return defaultGuiFont;
    return qfontFromRecord(parsed->forDrawing(), defaultGuiFont);
}

void installFontSubstitutions()
{
    const QStringList song{QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                           QStringLiteral("AR PL UMing HK"), QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList hei{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                          QStringLiteral("AR PL UMing CN")};
    for (const char *name : {"宋体", "新宋体", "SimSun", "NSimSun", "仿宋", "FangSong", "楷体", "KaiTi"})
        QFont::insertSubstitutions(QString::fromUtf8(name), song);
    for (const char *name : {"黑体", "SimHei", "微软雅黑", "Microsoft YaHei", "MS Shell Dlg", "MS Shell Dlg 2",
                             "Tahoma"})
        QFont::insertSubstitutions(QString::fromUtf8(name), hei);
}

} // namespace tilvane
