#pragma once
// Editing one member of a font record at a time. Each edit writes only its
// own fields, so everything else a record holds (width, escapement,
// orientation, character set, precisions, quality, pitch) survives.

#include "compose/FontRecord.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tilvane {

class Platform;

// Points to a LOGFONT character height: -(points * dpi / 72), halves away
// from zero. A negative size counts as 0, which gives height 0.
int heightForPoints(int points, int dpiY);
// The other way: |height| * 72 / dpi, rounded to whole points, halves up.
int pointsForHeight(int height, int dpiY);

// The face name a record can hold: GBK of 1..31 bytes that decodes back to
// the same text. Anything else (empty, too long, not expressible in GBK)
// gives nullopt.
std::optional<QByteArray> storableFaceBytes(const QString &face);

void setBoldMember(FontRecord &record, bool bold);           // weight 700 or 0
void setItalicMember(FontRecord &record, bool italic);       // 1 or 0
void setStrikeOutMember(FontRecord &record, bool strikeOut); // 1 or 0
void setUnderlineMember(FontRecord &record, bool underline); // 1 or 0
void setSizeMember(FontRecord &record, int points, int dpiY);
// A face the record cannot hold is replaced by 宋体.
void setFaceNameMember(FontRecord &record, const QString &face);

// What a member edit starts from: the stored record when it is exactly 60
// bytes, else the description of the platform's default GUI font.
FontRecord fontEditBase(const std::optional<QByteArray> &stored, Platform &platform);

} // namespace tilvane
