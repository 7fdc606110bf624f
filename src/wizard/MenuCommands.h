#pragma once
// The commands of the main menu (and the frame's Help button), which stand outside the wizard's
// page sequence and are available at all times.

#include <windows.h>

#include <string>

// Addresses of the product's web pages; settings of the product, not texts.
extern const char* const kWebSiteAddress;
extern const char* const kContactAddress;
extern const char* const kSupportAddress;
extern const char* const kSearchAddress;  // the file details dialog's web search: + "/search?q=" + name

// Runs the menu command id for the frame window.
void RunMenuCommand(HWND frame, int id);

// The help file beside the program: ProgramDirectory + "\" + ProgramBaseName + ".chm".
std::string HelpFilePath();
