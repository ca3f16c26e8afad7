// Journey steps that recur in quelmgui's journeys, each ending in a line break so that steps and
// scripts can be joined.
#pragma once

#include <string>

namespace quelmgui_steps {

// The main window is shown (on whichever project).
inline const std::string kMainWindow = "window ^RavuzAVEDE .*Database:\n";

// File > Exit from the main window, confirmed with Yes.
inline const std::string kExitConfirmed = "menu File > Exit\n"
                                          "window ^Confirm$\n"
                                          "click class=QAbstractButton text=^Yes$\n";

// The question at exit whether to store the changed run, answered Yes.
inline const std::string kSaveTheChanges = "window ^Confirm$\n"
                                           "text class=QLabel is ^Save the changed information\n"
                                           "click class=QAbstractButton text=^Yes$\n";

} // namespace quelmgui_steps
