// Message boxes: a simple box with an information icon when a display exists, the
// text on standard error otherwise (headless mode, no display). Texts are UTF-8.
#pragma once

// With allowWindow false (headless) the text only goes to standard error.
// True when a box was shown (the text then did not go to standard error).
bool ShowMessageBox(const char* text, const char* caption, bool allowWindow);
