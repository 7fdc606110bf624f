#pragma once
// The program's message boxes: text and caption translated, the caption always "_Quillmoor", shown
// through the prompts in use (win::CurrentPrompts), so window tests answer them.

#include <windows.h>

#include <string>

int AskUser(HWND owner, const char* textKey, UINT style);
int AskUserText(HWND owner, const std::string& text, UINT style);
