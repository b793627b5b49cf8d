// The world's resident objects: made once the asset set has loaded, kept for
// the whole run, deleted before the asset set is released.
#pragma once

class CObject;

// The anchor the chapter backgrounds hang from (null: none). The program
// entry makes it with the graphics device, before anything is loaded.
extern CObject* g_pWorldAnchor;
// The chapter's intro model ("#105"): dead until the stage script revives it;
// in no list.
extern CObject* g_pStageModel;

// From the loaded asset set: the light particles, the sparks, the craft
// (g_pPlayer, and the slow-motion sounds "#400" ... "#402" for its controller)
// and the intro model; the flare, the floating digits and the cut-in get their
// pictures ("#239", "#120" ... "#129") and sound ("#113").
void CreateWorldObjects();
// Deletes them; the presentation objects let go of their pictures and sound.
void ReleaseWorldObjects();
