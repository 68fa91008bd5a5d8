// 3D display state: set-up and resize, the two matrix stacks with their
// overflow and underflow codes, matrix-mode dispatch, combining, the scene
// (matrix upload and the moved-view answer), the colour key and swapping.
#include "render3d/ts_display.h"

#include "fake_gpu.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class TsDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_gpu::install();
        tsDisplay_Init(d, 800, 600, front.data(), back.data(), 0);
    }
    void TearDown() override { TS_GPU_vInstall(nullptr); }

    std::unique_ptr<tsDisplay> owner = std::make_unique<tsDisplay>();
    tsDisplay* d = owner.get();
    std::vector<U32> front = std::vector<U32>(800 * 600 / 2 + 8, 0);
    std::vector<U32> back = std::vector<U32>(800 * 600 / 2 + 8, 0);
};

tsMatrix scaled(S64 s)
{
    tsMatrix m;
    tsMatrix_Identity(&m);
    m.m[0][0] = m.m[1][1] = m.m[2][2] = s;
    return m;
}

TEST_F(TsDisplayTest, InitSetsTheViewportAndBringsTheGpuUp)
{
    EXPECT_EQ(d->Width, 800);
    EXPECT_EQ(d->Height, 600);
    EXPECT_EQ(d->DispSize, 480000);
    EXPECT_EQ(d->RenderPitch, 1600);
    EXPECT_EQ(d->RenderMode, tsRM_FLAT);
    EXPECT_EQ(d->ViewScaleX, 400);
    EXPECT_EQ(d->ViewScaleY, 300);
    EXPECT_EQ(d->ViewTransX, 400 << 16);
    EXPECT_EQ(d->ViewTransY, 300 << 16);
    EXPECT_EQ(d->BackBuffer, back.data());
    EXPECT_EQ(d->RenderSurface, back.data());
    EXPECT_EQ(d->FrontBuffer, front.data());
    EXPECT_EQ(d->MatrixMode, TS_MODELVIEW);
    EXPECT_EQ(d->MVStackPtr, 0);
    EXPECT_EQ(d->ProjStackPtr, 0);
    const fake_gpu::Record& gpu = fake_gpu::record();
    EXPECT_EQ(gpu.bringUps, 1);
    EXPECT_EQ(gpu.viewportWidth, 800);
    EXPECT_EQ(gpu.viewportHeight, 600);
    EXPECT_EQ(gpu.cullings, 1);

    // Odd sizes halve with truncation.
    tsDisplay_Init(d, 801, 601, front.data(), back.data(), 0);
    EXPECT_EQ(d->ViewScaleX, 400);
    EXPECT_EQ(d->ViewTransX, 400 << 16);
    EXPECT_EQ(d->ViewScaleY, 300);
}

TEST_F(TsDisplayTest, ResizeKeepsTheColourKeyOnWholeFrameRows)
{
    tsDisplay_Resize(d, 400, 600);
    EXPECT_EQ(d->ViewScaleX, 200);
    EXPECT_EQ(d->ViewTransX, 200 << 16);
    EXPECT_EQ(d->RenderPitch, 800);
    EXPECT_EQ(fake_gpu::record().viewportWidth, 400);

    back[300000] = 0x12345678; // the first word after 600 rows of 800 pixels
    tsDisplay_DrawColorKey(d);
    const U16* pixels = reinterpret_cast<const U16*>(back.data());
    for (size_t i = 0; i < 800u * 600u; ++i) {
        ASSERT_EQ(pixels[i], TS_COLOR_KEY) << i;
    }
    EXPECT_EQ(back[300000], 0x12345678u);
}

TEST_F(TsDisplayTest, StacksOverflowAfterFourteenPushesAndUnderflowAtTheBottom)
{
    struct Case {
        S32 mode;
        S32 tsDisplay::*ptr;
        S32 overflow;
        S32 underflow;
    };
    const Case cases[] = {
        {TS_MODELVIEW, &tsDisplay::MVStackPtr, TS_ERR_MVStackOverflow, TS_ERR_MVStackUnderflow},
        {TS_PROJECTION, &tsDisplay::ProjStackPtr, TS_ERR_ProjStackOverflow, TS_ERR_ProjStackUnderflow},
    };
    for (const Case& c : cases) {
        tsDisplay_Init(d, 800, 600, front.data(), back.data(), 0);
        tsDisplay_MatrixMode(d, c.mode);
        const tsMatrix base = scaled(0x30000);
        tsDisplay_LoadMatrixx(d, &base);
        for (int i = 1; i <= 14; ++i) {
            tsDisplay_PushMatrix(d);
            ASSERT_EQ(d->*c.ptr, i);
            ASSERT_EQ(d->Error, TS_OK);
        }
        tsDisplay_PushMatrix(d);
        EXPECT_EQ(d->*c.ptr, 14);
        EXPECT_EQ(d->Error, c.overflow);
        // Each push copied the top.
        const tsMatrix* stack = c.mode == TS_MODELVIEW ? d->ModelView : d->Projection;
        EXPECT_EQ(0, std::memcmp(&stack[14], &base, sizeof(base)));

        for (int i = 13; i >= 0; --i) {
            tsDisplay_PopMatrix(d);
            ASSERT_EQ(d->*c.ptr, i);
        }
        EXPECT_EQ(d->Error, c.overflow); // never cleared by a success
        tsDisplay_PopMatrix(d);
        EXPECT_EQ(d->*c.ptr, 0);
        EXPECT_EQ(d->Error, c.underflow);
        // The other stack did not move.
        EXPECT_EQ(c.mode == TS_MODELVIEW ? d->ProjStackPtr : d->MVStackPtr, 0);
    }
}

TEST_F(TsDisplayTest, TextureModeChangesNothing)
{
    tsDisplay_MatrixMode(d, TS_MODELVIEW);
    tsDisplay_LoadIdentity(d);
    tsDisplay_MatrixMode(d, TS_PROJECTION);
    tsDisplay_LoadIdentity(d);
    const auto before = std::make_unique<tsDisplay>(*d);

    tsDisplay_MatrixMode(d, TS_TEXTURE);
    const tsMatrix m = scaled(0x50000);
    tsDisplay_LoadIdentity(d);
    tsDisplay_LoadMatrixx(d, &m);
    tsDisplay_Translatex(d, 0x10000, 0x20000, 0x30000);
    tsDisplay_Perspective(d, 35.0f, 1.0f, 0.1f, 100.0f);
    tsDisplay_PushMatrix(d);
    tsDisplay_PopMatrix(d);
    tsDisplay_MatrixMode(d, TS_PROJECTION);
    EXPECT_EQ(0, std::memcmp(before.get(), d, sizeof(tsDisplay)));
}

TEST_F(TsDisplayTest, TranslateAndPerspectiveApplyBeforeTheTopAndCombineRunsModelViewFirst)
{
    // Model-view: scale by 2, then a translation that applies before it.
    tsDisplay_MatrixMode(d, TS_MODELVIEW);
    const tsMatrix twice = scaled(0x20000);
    tsDisplay_LoadMatrixx(d, &twice);
    tsDisplay_Translatex(d, 0x10000, 0, 0);
    EXPECT_EQ(d->ModelView[0].m[3][0], 0x20000); // (0 + 1) x 2

    // Projection: perspective, which the owner combines after the model-view.
    tsDisplay_MatrixMode(d, TS_PROJECTION);
    tsDisplay_LoadIdentity(d);
    tsDisplay_Perspective(d, 35.0f, 4.0f / 3.0f, 0.1f, 10000.0f);
    tsMatrix p;
    tsMatrix_SetFOV(&p, 35.0f, 4.0f / 3.0f, 0.1f, 10000.0f);
    EXPECT_EQ(0, std::memcmp(&d->Projection[0], &p, sizeof(p)));

    tsDisplay_CombineMatrices(d);
    tsMatrix expected;
    tsMatrix_Multiply(&expected, &p, &d->ModelView[0]);
    EXPECT_EQ(0, std::memcmp(&d->Combine, &expected, sizeof(expected)));
    EXPECT_EQ(d->Combine.m[3][0], (0x20000LL * 155890) >> 16);
    EXPECT_EQ(d->Combine.m[2][3], 0x20000);

    // Combining reads the current tops.
    tsDisplay_PushMatrix(d);
    tsDisplay_LoadIdentity(d);
    tsDisplay_CombineMatrices(d);
    EXPECT_EQ(0, std::memcmp(&d->Combine, &d->ModelView[0], sizeof(tsMatrix)));
}

TEST_F(TsDisplayTest, BeginSceneUploadsEveryTimeAndReportsAMovedView)
{
    tsMatrix_Identity(&d->OpenGlMatrix);
    d->OpenGlMatrix.m[0][1] = 0x8000;
    d->OpenGlMatrix.m[3][2] = 0x30000;
    EXPECT_FALSE(tsDisplay_BeginScene(d));
    EXPECT_TRUE(tsDisplay_BeginScene(d));
    EXPECT_EQ(fake_gpu::record().matrixLoads, 2);

    // The second and third columns go up negated.
    const std::array<float, 16>& m = fake_gpu::record().matrix;
    EXPECT_FLOAT_EQ(m[0], 1.0f);
    EXPECT_FLOAT_EQ(m[1], -0.5f);
    EXPECT_FLOAT_EQ(m[5], -1.0f);
    EXPECT_FLOAT_EQ(m[10], -1.0f);
    EXPECT_FLOAT_EQ(m[14], -3.0f);
    EXPECT_FLOAT_EQ(m[15], 1.0f);

    d->OpenGlMatrix.m[3][0] = 1;
    EXPECT_FALSE(tsDisplay_BeginScene(d));
    EXPECT_TRUE(tsDisplay_BeginScene(d));
}

TEST_F(TsDisplayTest, SceneCallsReachTheGpu)
{
    tsDisplay_SetClearColor(d, 0xF800);
    EXPECT_FLOAT_EQ(fake_gpu::record().clearColor[0], 31 * 0.032258064f);
    EXPECT_FLOAT_EQ(fake_gpu::record().clearColor[1], 0.0f);
    EXPECT_FLOAT_EQ(fake_gpu::record().clearColor[3], 0.0f);
    tsDisplay_SetColor(d, 0x07E0);
    EXPECT_FLOAT_EQ(fake_gpu::record().color[1], 63 * 0.015873017f);
    EXPECT_FLOAT_EQ(fake_gpu::record().color[2], 0.0f);
    EXPECT_EQ(d->ClearColor, 0u);
    tsDisplay_ClearScene(d);
    tsDisplay_EndScene(d);
    EXPECT_EQ(fake_gpu::record().clears, 1);
    EXPECT_EQ(fake_gpu::record().waits, 1);
}

TEST_F(TsDisplayTest, SwapTwiceRestoresTheBuffers)
{
    tsDisplay_SwapBuffers(d);
    EXPECT_EQ(d->BackBuffer, front.data());
    EXPECT_EQ(d->FrontBuffer, back.data());
    EXPECT_EQ(d->RenderSurface, front.data());
    tsDisplay_SwapBuffers(d);
    EXPECT_EQ(d->BackBuffer, back.data());
    EXPECT_EQ(d->FrontBuffer, front.data());
    EXPECT_EQ(d->RenderSurface, back.data());
}

TEST_F(TsDisplayTest, EnableDisableAndArrayPointers)
{
    tsDisplay_Enable(d, 0x5);
    tsDisplay_Enable(d, 0x10);
    tsDisplay_Disable(d, 0x4);
    EXPECT_EQ(d->GeneralState, 0x11u);
    S32 vertices[3] = {};
    S32 coords[2] = {};
    tsDisplay_VertexPointer(d, 3, 7, 12, vertices);
    tsDisplay_TexCoordPointer(d, 2, 8, 8, coords);
    tsDisplay_ColorPointer(d, 4, 9, 16, vertices);
    EXPECT_EQ(d->VertexArray, vertices);
    EXPECT_EQ(d->VertexSize, 3);
    EXPECT_EQ(d->VertexType, 7);
    EXPECT_EQ(d->VertexStride, 12);
    EXPECT_EQ(d->TexCoordArray, coords);
    EXPECT_EQ(d->ColorStride, 16);
}

} // namespace
