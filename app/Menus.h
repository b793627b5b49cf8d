// The menu screens: for each, what it draws (called by SceneFrame) beside what
// its input does (called by SceneInput), both on the scene of its stage number.
#pragma once

#include <string>

#include "app/SceneKit.h"

extern MenuCursor g_MainMenuCursor;  // 4 items, main menu
extern MenuCursor g_ChapterCursor;   // 2 items, chapter menu
extern MenuCursor g_SaveSlotCursor;  // 10 items, replay save list
extern MenuCursor g_LoadSlotCursor;  // 10 items, replay list

// Start-up and chapter loading pictures (no input of their own).
void DrawStartupLoading();
void DrawChapterLoading();

// Title loop: its pictures are overlay objects of the stage script.
void DrawTitle();
void InputTitle();

void DrawMainMenu();
void InputMainMenu();

void DrawChapterMenu();
void InputChapterMenu();

void DrawRecordsList();
void InputRecordsList();

// The replay save list after a played game, and the replay list to watch one.
void DrawSaveList();
void InputSaveList();
void DrawReplayList();
void InputReplayList();

// Texts of the replay lists' rows (a stored name escaped to one line); a slot
// that would be refused shows kDamagedSlot instead of its chapter and score.
inline constexpr const char* kDamagedSlot = "Damaged replay";
std::string ReplaySlotText(int slot, const char* scoreName);
std::string ReplaySlotDetail(int chapter, int score);
