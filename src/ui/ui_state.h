// What the message box needs to know of the main window: where it stands, to open centred over
// it, and whether the screen uses large fonts, to give its text more room.
#pragma once

namespace vs::ui {

class Dialog;

// The main window while it exists; set first thing in its initialisation.
extern Dialog* mainDialog;
// 1 when the screen has 120 or more logical pixels per inch horizontally.
extern int largeFonts;

}  // namespace vs::ui
