// The installed GPU table and the empty one used without a GPU.
#include "render3d/ts_gpu.h"

namespace {

void noInit(void) {}
void noViewport(S32, S32) {}
void noCall(void) {}
void noColor(float, float, float, float) {}
void noMatrix(const float*) {}
U32 noTexture(void) { return 0; }
void noUploadTexture(U32, const U16*) {}
void noBuffers(U32* pu32Buffers)
{
    pu32Buffers[0] = 0;
    pu32Buffers[1] = 0;
}
void noUploadBuffers(const U32*, const void*, const S32*, S32) {}
void noDraw(U32, const U32*, S32) {}

const TS_GPU s_noGpu = {noInit,   noViewport, noCall,          noColor,   noColor,         noCall, noMatrix,
                        noCall,   noTexture,  noUploadTexture, noBuffers, noUploadBuffers, noDraw};

const TS_GPU* s_gpu = &s_noGpu;

} // namespace

void TS_GPU_vInstall(const TS_GPU* pGpu) { s_gpu = pGpu ? pGpu : &s_noGpu; }

const TS_GPU* TS_GPU_pGet(void) { return s_gpu; }
