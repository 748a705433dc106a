#include "compose/FontMembers.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tilvane {
namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// A screen that reports no sensible density is treated as the usual 96.
std::int64_t usableDpi(int dpiY) { return dpiY > 0 ? dpiY : 96; }

} // namespace

int heightForPoints(int points, int dpiY)
{
    if (points <= 0)
        return 0;
    const std::int64_t scaled = std::int64_t(points) * usableDpi(dpiY);
    const std::int64_t rounded = (scaled + 36) / 72; // non-negative, so half up is half away from zero
    return -int(std::min(rounded, kInt32Max));
}

int pointsForHeight(int height, int dpiY)
{
    const std::int64_t magnitude = height < 0 ? -std::int64_t(height) : std::int64_t(height);
    const std::int64_t dpi = usableDpi(dpiY);
    const std::int64_t rounded = (magnitude * 72 * 2 + dpi) / (2 * dpi);
    return int(std::min(rounded, kInt32Max));
}

std::optional<QByteArray> storableFaceBytes(const QString &face)
{
    if (face.isEmpty())
        return std::nullopt;
    const QByteArray gbk = toGbk(face);
    // The conversion drops what GBK cannot hold; such a name would name some
    // other face, so it is refused rather than stored half.
    if (gbk.isEmpty() || gbk.size() > FontRecord::kFaceBytes - 1 || gbk.contains('\0') || fromGbk(gbk) != face)
        return std::nullopt;
    return gbk;
}

void setBoldMember(FontRecord &record, bool bold) { record.weight = bold ? 700 : 0; }
void setItalicMember(FontRecord &record, bool italic) { record.italic = italic ? 1 : 0; }
void setStrikeOutMember(FontRecord &record, bool strikeOut) { record.strikeOut = strikeOut ? 1 : 0; }
void setUnderlineMember(FontRecord &record, bool underline) { record.underline = underline ? 1 : 0; }

void setSizeMember(FontRecord &record, int points, int dpiY) { record.height = heightForPoints(points, dpiY); }

void setFaceNameMember(FontRecord &record, const QString &face)
{
    const auto bytes = storableFaceBytes(face);
    if (!bytes || !record.setFaceBytes(*bytes))
        record.setFaceBytes(toGbk(QStringLiteral("宋体")));
}

FontRecord fontEditBase(const std::optional<QByteArray> &stored, Platform &platform)
{
    if (stored) {
        if (const auto record = FontRecord::parse(*stored))
            return *record;
    }
    if (const auto fallback = FontRecord::parse(platform.defaultGuiFontRecord()))
        return *fallback;
    // A platform without a usable description: start from an all-zero record,
    // which the font mapper reads as its own default.
    return FontRecord{};
}

} // namespace tilvane
