#include "app/Controls.h"
#include "compose/ColourPicker.h"
#include "compose/CompositionHandlers.h"
#include "compose/PictureBox.h"
#include "platform/Platform.h"

namespace tilvane {
namespace {

// The picture file name the last choice read, kept until the exit step.
QString &pictureNameSlot()
{
    static QString slot;
    return slot;
}

} // namespace

void chooseBackgroundPicture(MainWindow &window, const EventArgs &)
{
    auto *chooser = window.control<CommonDialog>(QStringLiteral("通用对话框1"));
    auto *canvas = window.control<PictureBox>(QStringLiteral("图片框1"));
    if (!chooser || !canvas)
        return;
    const auto chosen = window.platform().openFileName(&window, chooser->fileName());
    // A cancelled or failed dialog changes nothing at all: re-reading the last
    // file could change or remove a picture the user did not ask to touch.
    if (!chosen)
        return;
    chooser->setFileName(*chosen);
    pictureNameSlot() = *chosen;
    canvas->setPictureBytes(window.platform().readWholeFile(*chosen));
}

void applyBackgroundColour(MainWindow &window, const EventArgs &)
{
    auto *picker = window.control<ColourPicker>(QStringLiteral("颜色选择器1"));
    auto *canvas = window.control<PictureBox>(QStringLiteral("图片框1"));
    if (picker && canvas)
        canvas->setBackgroundColour(picker->colour());
}

void releasePictureNameSlot() { pictureNameSlot().clear(); }

} // namespace tilvane
