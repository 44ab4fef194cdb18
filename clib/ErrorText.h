// Turning class-library error codes and system error numbers into text.
// Every write is bounded by the size given and the text always ends in NUL
// when size is at least 1.
#pragma once

#include <windows.h>

// Code 0: empty text, result 0. Otherwise the text is "<unknown error: N>",
// replaced for kErrorSystem by the system's message for systemCode and for
// any other code by the program's string resource with that id. Result 1 when
// such a text was found, else 0.
int FormatErrorText(int code, char* buffer, DWORD systemCode, int size);

// Message box owned by owner, captioned "Error", with a warning icon:
// before and a blank (when given), the error text, a blank and after (when
// given), at most 1024 characters. Returns the MessageBoxA result.
int ShowErrorBox(int code, HWND owner, DWORD systemCode, const char* after, const char* before);

// The system's text for a system error number, default language. Returns its
// length; 0 (and an empty text) when the system has none.
int SystemMessageText(DWORD number, char* buffer, int size);
