// The two calls of every step. The menus, the play and the HUD come with the scene
// flow; until then the scene draws the start-up loading picture and a plain title
// background, and Escape on the title ends the program (through the window).
#pragma once

class CStageControler;

// Steps and draws everything of the current scene and presents the picture.
void SceneFrame();
// Reads input and runs the scene's transitions.
void SceneInput();

// The stage controller that holds the scene (stage number).
CStageControler& SceneControler();
int GetSceneStage();
void SetSceneStage(int stage);
