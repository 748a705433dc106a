#pragma once
// The font chooser: its values live in the common dialog control and are
// shared by both font buttons; the platform's font dialog starts from them
// and a confirmed choice is stored back into them.

#include "app/Controls.h"
#include "platform/Platform.h"

class QWidget;

namespace tilvane {

struct FontRecord;

using FontChooserValues = CommonDialog::FontValues;

// Where the dialog starts: no face unless one is kept, no size unless the
// kept size is non-zero, the kept flags and colour.
FontDialogRequest fontDialogRequest(const FontChooserValues &values, int dpiY);

// What a confirmed choice leaves in the chooser: bold from weight 700 up,
// whole points from the height, and only a face name a font record can hold.
FontChooserValues chooserValuesFromChoice(const FontDialogChoice &choice, int dpiY);

// Shows the dialog owned by owner. On OK stores the choice and returns true;
// on Cancel, or when the dialog cannot be shown, changes nothing and returns false.
bool openFontChooser(CommonDialog &chooser, Platform &platform, QWidget *owner);

// The six member edits a font button makes, in its order: size, face name,
// bold, italic, strike-out, underline. The colour is never copied.
void applyChooserValues(FontRecord &record, const FontChooserValues &values, int dpiY);

} // namespace tilvane
