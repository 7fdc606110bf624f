#pragma once
// The commands of the main menu (and the frame's Help button), which stand outside the wizard's
// page sequence and are available at all times.

#include <windows.h>

#include <string>

// Runs the menu command id for the frame window.
void RunMenuCommand(HWND frame, int id);

// The help file beside the program: ProgramDirectory + "\" + ProgramBaseName + ".chm".
std::string HelpFilePath();
