#include "app/Controls.h"
#include "compose/ColourPicker.h"
#include "compose/CompositionHandlers.h"
#include "compose/TextOverlay.h"

namespace tilvane {
namespace {

void copyText(MainWindow &window, const QString &editName, const QString &overlayName)
{
    auto *edit = window.control<EditBox>(editName);
    auto *overlay = window.control<TextOverlay>(overlayName);
    if (edit && overlay)
        overlay->setCaption(edit->text());
}

void applyColour(MainWindow &window, const QString &pickerName, const QString &overlayName)
{
    auto *picker = window.control<ColourPicker>(pickerName);
    auto *overlay = window.control<TextOverlay>(overlayName);
    if (picker && overlay)
        overlay->setTextColour(picker->colour());
}

} // namespace

// The name numbers do not match the overlay numbers: 编辑框1 and 颜色选择器2
// feed 文字8 (overlay 1), 编辑框2 and 颜色选择器3 feed 文字7 (overlay 2).
void copyTextToOverlay1(MainWindow &window, const EventArgs &)
{
    copyText(window, QStringLiteral("编辑框1"), QStringLiteral("文字8"));
}

void copyTextToOverlay2(MainWindow &window, const EventArgs &)
{
    copyText(window, QStringLiteral("编辑框2"), QStringLiteral("文字7"));
}

void applyTextColourToOverlay1(MainWindow &window, const EventArgs &)
{
    applyColour(window, QStringLiteral("颜色选择器2"), QStringLiteral("文字8"));
}

void applyTextColourToOverlay2(MainWindow &window, const EventArgs &)
{
    applyColour(window, QStringLiteral("颜色选择器3"), QStringLiteral("文字7"));
}

} // namespace tilvane
