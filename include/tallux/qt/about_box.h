#pragma once

#include "tallux/export.h"

// The about box of the Tallux control as a Qt dialog.
TALLUX_PUBLIC_BEGIN

namespace tallux::qt {

// Makes Tallux::ShowAboutBox present the Qt dialog (presentAboutBox).
void installAboutBox();

// Creates the about dialog, shows it modally and returns when the user has
// closed it; then the dialog is unloaded and dropped, so the next showing
// starts from the design-time state. Runs on the thread of the running
// QApplication, or starts one for the showing when there is none and a display
// is there. Raises RuntimeError 429 when no dialog can be shown: no display,
// a running application without widgets, or a call from another thread.
void presentAboutBox();

} // namespace tallux::qt

TALLUX_PUBLIC_END
