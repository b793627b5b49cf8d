// A file of the world that reaches up into the shell: the layer check must
// name it. (Never compiled.)
#pragma once

#include "app/Scene.h"
#include "core/Object.h"
