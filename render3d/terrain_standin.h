// Stand-in for the one call the 3D pipeline makes into the 3D terrain
// dataset library, until that library is built: it holds no tiles, so a
// release finds nothing loaded and returns 1.
#pragma once

#include "kernel/l_types.h"

// Tells the dataset library that the 3D display no longer holds dataset tile
// `tile`. 1: released or not loaded; 0: the tile is still in use and stays.
S32 ReleaseTile(S32 tile);
