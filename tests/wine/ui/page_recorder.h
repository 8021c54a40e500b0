// Stands in for the user's web browser: the shell's handler for web addresses becomes this driver,
// which writes down every address it is asked to open instead of opening it.
#pragma once

#include <string>
#include <vector>

namespace vs::uitest {

// Makes "ui_driver.exe record-page ADDRESS" the shell's "open" command for http and https.
bool registerPageRecorder();

// The handler's side: appends the address to the list of opened pages.
int recordPage(const char* address);

// The addresses opened so far, in order.
std::vector<std::string> openedPages();

}  // namespace vs::uitest
