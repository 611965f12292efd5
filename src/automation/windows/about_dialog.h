#pragma once

// The about box on Windows: a modal dialog built from the frmAbout model.
namespace tallux::win {

// Makes ShowAboutBox show the dialog (once per process is enough).
void installAboutBox();

// Shows the dialog modally, centred on the screen, and returns when it has
// been closed and destroyed. A call while the dialog is showing (from a
// timer of the host, or another thread) brings that dialog to the front and
// returns at once instead of stacking a second one. Without an interactive
// desktop it raises 429.
void showAboutBox();

} // namespace tallux::win
