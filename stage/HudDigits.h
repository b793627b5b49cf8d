// The HUD's digits, drawn by the play screen and by the bosses (their seconds
// left).
#pragma once

// HUD digits ("0" ... "9" and "/"), 5 pixels apart; other characters leave a gap.
void DrawDigits(float x, float y, const char* text, float alpha = 1.0f);
void DrawNumber(float x, float y, int n, float alpha = 1.0f);
// The last digit at x.
void DrawNumberRight(float x, float y, int n, float alpha = 1.0f);
