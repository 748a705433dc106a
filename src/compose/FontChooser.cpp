#include "compose/FontChooser.h"

#include "compose/FontMembers.h"
#include "compose/FontRecord.h"

namespace tilvane {

FontDialogRequest fontDialogRequest(const FontChooserValues &values, int dpiY)
{
    FontDialogRequest request;
    request.faceName = values.faceName;
    request.heightPixels = values.size != 0 ? heightForPoints(values.size, dpiY) : 0;
    request.bold = values.bold;
    request.italic = values.italic;
    request.underline = values.underline;
    request.strikeOut = values.strikeOut;
    request.colour = values.colour;
    return request;
}

FontChooserValues chooserValuesFromChoice(const FontDialogChoice &choice, int dpiY)
{
    FontChooserValues values;
    values.colour = choice.colour & 0x00FFFFFFu;
    values.bold = choice.weight >= 700;
    values.italic = choice.italic;
    values.strikeOut = choice.strikeOut;
    values.underline = choice.underline;
    // A name no record could hold would only ever become 宋体 on the overlay;
    // keeping none says so honestly the next time the dialog opens.
    values.faceName = storableFaceBytes(choice.faceName) ? choice.faceName : QString();
    values.size = pointsForHeight(choice.heightPixels, dpiY);
    return values;
}

bool openFontChooser(CommonDialog &chooser, Platform &platform, QWidget *owner)
{
    if (chooser.kind() != CommonDialog::Kind::Font)
        return false;
    const auto choice = platform.chooseFont(owner, fontDialogRequest(chooser.fontValues(), platform.screenDpiY()));
    if (!choice)
        return false;
    // Read the density again: the dialog measured its height on the screen it closed on.
    chooser.setFontValues(chooserValuesFromChoice(*choice, platform.screenDpiY()));
    return true;
}

void applyChooserValues(FontRecord &record, const FontChooserValues &values, int dpiY)
{
    setSizeMember(record, values.size, dpiY);
    setFaceNameMember(record, values.faceName);
    setBoldMember(record, values.bold);
    setItalicMember(record, values.italic);
    setStrikeOutMember(record, values.strikeOut);
    setUnderlineMember(record, values.underline);
}

} // namespace tilvane
