#pragma once
// The commands of the main menu (and the frame's Help button), which stand outside the wizard's
// page sequence and are available at all times.

#include <windows.h>

#include <string>

class Session;

// Runs the menu command id for the frame window, whose session the rescue manager works on.
void RunMenuCommand(HWND frame, Session& session, int id);

// The help file beside the program: ProgramDirectory + "\" + ProgramBaseName + ".chm".
std::string HelpFilePath();
