#pragma once
// The stored font of a control: the 60 bytes of a LOGFONTA, little-endian,
// with a GBK face name of at most 31 bytes plus its terminating zero.

#include <QByteArray>
#include <QFont>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace tilvane {

struct FontRecord {
    static constexpr int kSize = 60;
    static constexpr int kFaceBytes = 32;

    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::array<char, kFaceBytes> faceName{}; // GBK, zero-terminated

    // nullopt unless bytes is exactly 60 long.
    static std::optional<FontRecord> parse(const QByteArray &bytes);
    QByteArray serialise() const;

    QString face() const;                  // decoded from GBK
    QByteArray faceBytes() const;          // up to the first zero
    // Stores the GBK bytes if 1..31 long; returns false (and changes nothing) otherwise.
    bool setFaceBytes(const QByteArray &gbk);

    // The copy a control draws with: character set, precisions, quality and
    // pitch replaced, so the stored character set never matters.
    FontRecord forDrawing() const;

    bool operator==(const FontRecord &) const = default;
};

// The font the window's first overlay starts with: 宋体, 9 points at 96 dpi.
FontRecord songTiDefinitionRecord();

// The font a control draws with, from its stored record (nullopt or a wrong
// length falls back to the default GUI font).
QFont drawingFont(const std::optional<QByteArray> &record, const QFont &defaultGuiFont);
QFont qfontFromRecord(const FontRecord &record, const QFont &defaultGuiFont);

// The Song-style and other Windows face names map onto CJK faces we install.
void installFontSubstitutions();

} // namespace tilvane
