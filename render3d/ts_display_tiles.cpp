// GPU tile cache: the GPU objects (texture and two vertex buffers) of up to
// 64 terrain tiles, so that a cached tile is redrawn with one draw call and
// no upload.
//
// A slot is free or holds one tile; a tile is never in two slots. A miss
// takes slot 0 when free, else the first free slot, else evicts the slot
// drawn least recently. Every tile that leaves the cache is released to the
// dataset library. GPU names are made the first time a slot needs them and
// stay with the slot for the life of the process. Owner's thread only.
#include "kernel/l_clock.h"
#include "kernel/l_timer.h"
#include "render3d/terrain_standin.h"
#include "render3d/ts_display.h"
#include "render3d/ts_gpu.h"

#include <cstring>

tsTileCache g_TileCache[TS_TILE_CACHE_SLOTS];

namespace {

TS_RELEASE_TILE_FN s_pfnReleaseTile = ReleaseTile;

TICKS nowTicks(void) { return static_cast<TICKS>(L_CLOCK_qwGetTimeInTicks()); }

void releaseSlot(tsTileCache* slot)
{
    // The dataset's answer does not matter: the slot is free either way.
    (void)s_pfnReleaseTile(slot->tile);
    slot->active = 0;
}

tsTileCache* chooseSlot(void)
{
    if (!g_TileCache[0].active) {
        return &g_TileCache[0];
    }
    const TICKS now = nowTicks();
    tsTileCache* oldest = &g_TileCache[0];
    TICKS oldestAge = now - oldest->tix;
    for (tsTileCache& slot : g_TileCache) {
        if (!slot.active) {
            return &slot;
        }
        const TICKS age = now - slot.tix;
        if (age > oldestAge) {
            oldest = &slot;
            oldestAge = age;
        }
    }
    releaseSlot(oldest);
    return oldest;
}

// Rewrites the caller's vertices in place as floats relative to the
// display's offsets: (x, y, z) with z the height becomes (x, -z, y) in
// units of 1.0 = 2048.
void uploadVertices(const tsDisplay* display, tsTileCache* slot, S32* vertices, S32 vCount, const S32* tcoords)
{
    const TS_GPU* gpu = TS_GPU_pGet();
    if (!vertices || vCount < 0) {
        vCount = 0;
    }
    if (slot->vbos[0] == 0) {
        gpu->pfnGenBuffers(slot->vbos);
    }
    slot->vcount = vCount;
    slot->vertOffsetX = display->vertOffsetX;
    slot->vertOffsetY = display->vertOffsetY;
    const S32 addX = display->vertOffsetX / 32;
    const S32 addY = display->vertOffsetY / 32;
    for (S32 i = 0; i < vCount; ++i) {
        S32* v = vertices + 3 * i;
        const S32 x = static_cast<S32>(static_cast<U32>(v[0]) + static_cast<U32>(addX));
        const S32 y = static_cast<S32>(static_cast<U32>(v[1]) + static_cast<U32>(addY));
        const S32 z = v[2];
        const float out[3] = {static_cast<float>(static_cast<double>(x) / 2048.0),
                              static_cast<float>(-static_cast<double>(z) / 2048.0),
                              static_cast<float>(static_cast<double>(y) / 2048.0)};
        std::memcpy(v, out, sizeof(out));
    }
    gpu->pfnUploadBuffers(slot->vbos, vertices, tcoords, vCount);
}

void drawFromCache(tsTileCache* slot)
{
    TS_GPU_pGet()->pfnDrawTriangles(slot->TexBuffTag, slot->vbos, slot->vcount);
}

} // namespace

void tsDisplay_vSetTileReleaser(TS_RELEASE_TILE_FN pfnRelease) { s_pfnReleaseTile = pfnRelease ? pfnRelease : ReleaseTile; }

tsTileCache* tsDisplay_CheckCache(S32 tile)
{
    for (tsTileCache& slot : g_TileCache) {
        if (slot.active && slot.tile == tile) {
            return &slot;
        }
    }
    return nullptr;
}

void tsDisplay_KickTiles(tsDisplay* display, const S32* kickList, S32 kickCount)
{
    (void)display;
    for (S32 i = 0; i < kickCount; ++i) {
        tsTileCache* slot = tsDisplay_CheckCache(kickList[i]);
        if (slot) {
            releaseSlot(slot);
        }
    }
}

void tsDisplay_DrawTile(tsDisplay* display, S32 tile, S32* vertices, S32 vCount, const U16* texture,
                        const S32* tcoords, BOOLEAN reload)
{
    tsTileCache* slot = tsDisplay_CheckCache(tile);
    if (slot) {
        if (reload) {
            uploadVertices(display, slot, vertices, vCount, tcoords);
        }
    } else {
        const TS_GPU* gpu = TS_GPU_pGet();
        slot = chooseSlot();
        slot->tile = tile;
        slot->active = 1;
        if (slot->TexBuffTag == 0) {
            slot->TexBuffTag = gpu->pfnGenTexture();
        }
        gpu->pfnUploadTexture(slot->TexBuffTag, texture);
        uploadVertices(display, slot, vertices, vCount, tcoords);
    }
    (void)L_TIMER_GetElapsed(&slot->tix);
    drawFromCache(slot);
}
