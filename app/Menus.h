// The menu screens: for each, what it draws (called by SceneFrame) beside what
// its input does (called by SceneInput), both on the scene of its stage number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/SceneKit.h"
#include "persist/Replay.h"

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

// The replay of the game that just ended, held until the save list is left.
extern CFinishedReplay g_FinishedReplay;
// The end of a live game: the bytes of its replay file are held for the save
// list and written as the temporary replay. A write that fails (a full disk)
// is told in the warnings and by a line on the save list; a save into a slot
// then writes from memory.
void HoldGameReplay(std::vector<uint8_t> bytes);
// A game that keeps no replay: nothing is held.
void DropGameReplay();
// The save list's warning: why the game's replay is not on disk yet ("" when
// nothing failed).
const std::string& SaveListNote();

// Texts of the replay lists' rows (a stored name escaped to one line); a slot
// that would be refused shows kDamagedSlot instead of its chapter and score.
inline constexpr const char* kDamagedSlot = "Damaged replay";
std::string ReplaySlotText(int slot, const char* scoreName);
std::string ReplaySlotDetail(int chapter, int score);
