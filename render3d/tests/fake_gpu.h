// A GPU table that records the pipeline's calls instead of drawing.
#pragma once

#include "render3d/ts_gpu.h"

#include <array>
#include <cstring>
#include <vector>

namespace fake_gpu {

struct Record {
    int bringUps = 0;
    int viewports = 0;
    S32 viewportWidth = 0;
    S32 viewportHeight = 0;
    int cullings = 0;
    std::array<float, 4> clearColor = {};
    std::array<float, 4> color = {};
    int clears = 0;
    int matrixLoads = 0;
    std::array<float, 16> matrix = {};
    int waits = 0;
    U32 nextName = 1;
    int textureGens = 0;
    int bufferGens = 0;
    std::vector<U32> textureUploads; // texture names in upload order
    std::vector<U32> bufferUploads;  // position buffer names in upload order
    std::vector<float> lastPositions;
    std::vector<S32> lastTexCoords;
    std::vector<U32> draws; // texture names in draw order
    S32 lastDrawCount = 0;
};

inline Record& record()
{
    static Record r;
    return r;
}

inline const TS_GPU& table()
{
    static const TS_GPU gpu = {
        [] { ++record().bringUps; },
        [](S32 w, S32 h) {
            ++record().viewports;
            record().viewportWidth = w;
            record().viewportHeight = h;
        },
        [] { ++record().cullings; },
        [](float r, float g, float b, float a) { record().clearColor = {r, g, b, a}; },
        [](float r, float g, float b, float a) { record().color = {r, g, b, a}; },
        [] { ++record().clears; },
        [](const float* m) {
            ++record().matrixLoads;
            std::memcpy(record().matrix.data(), m, sizeof(float) * 16);
        },
        [] { ++record().waits; },
        [] {
            ++record().textureGens;
            return record().nextName++;
        },
        [](U32 name, const U16*) { record().textureUploads.push_back(name); },
        [](U32* names) {
            ++record().bufferGens;
            names[0] = record().nextName++;
            names[1] = record().nextName++;
        },
        [](const U32* names, const void* positions, const S32* tcoords, S32 count) {
            record().bufferUploads.push_back(names[0]);
            record().lastPositions.resize(static_cast<size_t>(count) * 3);
            std::memcpy(record().lastPositions.data(), positions, sizeof(float) * 3 * static_cast<size_t>(count));
            record().lastTexCoords.assign(tcoords, tcoords + 2 * count);
        },
        [](U32 texture, const U32*, S32 count) {
            record().draws.push_back(texture);
            record().lastDrawCount = count;
        },
    };
    return gpu;
}

// Installs the fake with an empty record.
inline void install()
{
    record() = Record{};
    TS_GPU_vInstall(&table());
}

} // namespace fake_gpu
