// A file of the world that includes only its own layer and those below: the
// layer check must pass it over. (Never compiled.)
#pragma once

#include "core/Object.h"
#include "stage/Stray.h"
