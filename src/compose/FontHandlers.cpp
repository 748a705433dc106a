// The two font buttons: 按钮7 restyles 文字8 (overlay 1), 按钮8 restyles 文字7
// (overlay 2), both through the one font chooser 通用对话框3.
#include "compose/CompositionHandlers.h"
#include "compose/FontChooser.h"
#include "compose/FontMembers.h"
#include "compose/FontRecord.h"
#include "compose/TextOverlay.h"

namespace tilvane {
namespace {

void restyleOverlay(MainWindow &window, const QString &overlayName)
{
    auto *chooser = window.control<CommonDialog>(QStringLiteral("通用对话框3"));
    auto *overlay = window.control<TextOverlay>(overlayName);
    if (!chooser || !overlay)
        return;
    Platform &platform = window.platform();
    // A cancelled or failed dialog leaves the overlay as it was: applying the
    // unchanged values would silently reset a font the user never touched.
    if (!openFontChooser(*chooser, platform, &window))
        return;
    // The six member edits land on one copy and are written once, so the
    // overlay repaints once with the final look.
    FontRecord record = fontEditBase(overlay->fontRecord(), platform);
    applyChooserValues(record, chooser->fontValues(), platform.screenDpiY());
    overlay->setFontRecord(record.serialise());
}

} // namespace

void fontOfOverlay1(MainWindow &window, const EventArgs &) { restyleOverlay(window, QStringLiteral("文字8")); }

void fontOfOverlay2(MainWindow &window, const EventArgs &) { restyleOverlay(window, QStringLiteral("文字7")); }

} // namespace tilvane
