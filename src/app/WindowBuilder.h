#pragma once

#include "app/MainWindow.h"
#include "app/WindowDefinition.h"

#include <memory>

namespace tilvane {

class Platform;

// Creates every control in definition order, attaches it to its parent,
// stacks siblings (first listed on top) and binds the events. Returns
// nullptr, with the reason in *error, when the window cannot be built.
std::unique_ptr<MainWindow> buildMainWindow(const WindowDefinition &definition, Platform &platform,
                                            const HandlerTable &handlers, QString *error = nullptr);

// Centres the window, shows it and gives the focus to its last tab stop.
void showMainWindow(MainWindow &window, int outerWidth, int outerHeight);

} // namespace tilvane
