// Stand-in for the 3D terrain dataset library's tile release: no tile is
// ever loaded, so every release is the "not loaded" case.
#include "render3d/terrain_standin.h"

S32 ReleaseTile(S32 tile)
{
    (void)tile;
    return 1;
}
