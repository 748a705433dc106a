// Placeholder until the font chooser lands: the font buttons change nothing.
#include "compose/CompositionHandlers.h"

namespace tilvane {

void fontOfOverlay1(MainWindow &, const EventArgs &) {}
void fontOfOverlay2(MainWindow &, const EventArgs &) {}

} // namespace tilvane
