// A textured terrain tile drawn on a real OpenGL ES 2.0 implementation
// (Mesa, surfaceless, into an off-screen framebuffer) and read back. Skipped
// with a message where the surfaceless platform is not available.
#include "render3d/ts_display.h"
#include "render3d/ts_gpu.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>
#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 64;

// The textured shader: positions on attribute 0, texture coordinates on 1.
const char* const kVertexShader = "attribute highp vec4 inVertex;\n"
                                  "attribute mediump vec2 inTexCoord;\n"
                                  "uniform mediump mat4 MVPMatrix;\n"
                                  "varying mediump vec2 TexCoord;\n"
                                  "void main() {\n"
                                  "  gl_Position = MVPMatrix * inVertex;\n"
                                  "  TexCoord = inTexCoord;\n"
                                  "}\n";
const char* const kFragmentShader = "uniform sampler2D sTexture;\n"
                                    "varying mediump vec2 TexCoord;\n"
                                    "void main() { gl_FragColor = texture2D(sTexture, TexCoord); }\n";

GLuint g_program = 0;
int g_bringUps = 0;

GLuint compile(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok ? shader : 0;
}

class TsTileGlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (!getPlatformDisplay || !extensions || !std::strstr(extensions, "EGL_MESA_platform_surfaceless")) {
            GTEST_SKIP() << "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless); GPU drawing not tested";
        }
        display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0;
        EGLint minor = 0;
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
            display = EGL_NO_DISPLAY;
            GTEST_SKIP() << "the surfaceless EGL display does not initialise; GPU drawing not tested";
        }
        eglBindAPI(EGL_OPENGL_ES_API);
        const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                                           EGL_NONE};
        EGLConfig config = nullptr;
        EGLint configs = 0;
        eglChooseConfig(display, configAttributes, &config, 1, &configs);
        const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        context = eglCreateContext(display, configs == 1 ? config : EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT,
                                   contextAttributes);
        if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
            GTEST_SKIP() << "no OpenGL ES 2.0 context without a surface; GPU drawing not tested";
        }

        // An off-screen RGB565 target stands for the pixmap surface.
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, kSize, kSize);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));

        const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
        const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader);
        ASSERT_NE(vertex, 0u);
        ASSERT_NE(fragment, 0u);
        g_program = glCreateProgram();
        glAttachShader(g_program, fragment);
        glAttachShader(g_program, vertex);
        glBindAttribLocation(g_program, 0, "inVertex");
        glBindAttribLocation(g_program, 1, "inTexCoord");
        glLinkProgram(g_program);
        GLint linked = 0;
        glGetProgramiv(g_program, GL_LINK_STATUS, &linked);
        ASSERT_TRUE(linked);
        glDeleteShader(vertex);
        glDeleteShader(fragment);

        g_bringUps = 0;
        TS_GPU_vUseGles2([] { ++g_bringUps; }, [] { return static_cast<U32>(g_program); });
        std::memset(g_TileCache, 0, sizeof(g_TileCache));
    }

    void TearDown() override
    {
        TS_GPU_vInstall(nullptr);
        if (display == EGL_NO_DISPLAY) {
            return;
        }
        if (context != EGL_NO_CONTEXT) {
            for (const tsTileCache& slot : g_TileCache) {
                if (slot.TexBuffTag) {
                    glDeleteTextures(1, &slot.TexBuffTag);
                }
                if (slot.vbos[0]) {
                    glDeleteBuffers(2, slot.vbos);
                }
            }
            std::memset(g_TileCache, 0, sizeof(g_TileCache));
            glDeleteProgram(g_program);
            glDeleteRenderbuffers(1, &renderbuffer);
            glDeleteFramebuffers(1, &framebuffer);
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(display, context);
        }
        // The display stays initialised: terminating it unloads the driver,
        // whose remaining allocations would then show up as leaks.
    }

    std::vector<std::array<U8, 4>> readBack()
    {
        std::vector<std::array<U8, 4>> pixels(kSize * kSize);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
    GLuint renderbuffer = 0;
};

// Texture quadrants (rows from the first uploaded): red | green over
// blue | white.
U16 quadrantColour(int row, int column)
{
    if (row < 256) {
        return column < 256 ? 0xF800 : 0x07E0;
    }
    return column < 256 ? 0x001F : 0xFFFF;
}

std::array<U8, 4> expectedPixel(int row, int column)
{
    switch (quadrantColour(row, column)) {
    case 0xF800:
        return {255, 0, 0, 255};
    case 0x07E0:
        return {0, 255, 0, 255};
    case 0x001F:
        return {0, 0, 255, 255};
    default:
        return {255, 255, 255, 255};
    }
}

TEST_F(TsTileGlTest, ATexturedTileIsDrawnAndRedrawnFromTheCache)
{
    auto owner = std::make_unique<tsDisplay>();
    tsDisplay* d = owner.get();
    tsDisplay_Init(d, kSize, kSize, nullptr, nullptr, 0);
    EXPECT_EQ(g_bringUps, 1);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));

    std::vector<U16> texture(512 * 512);
    for (int row = 0; row < 512; ++row) {
        for (int column = 0; column < 512; ++column) {
            texture[static_cast<size_t>(row) * 512 + column] = quadrantColour(row, column);
        }
    }
    // Two triangles over the whole view, counter-clockwise on the screen:
    // x across, the height (third value) up, the ground coordinate at 0.
    std::vector<S32> vertices = {-2048, 0, -2048, 2048, 0, -2048, 2048, 0, 2048,
                                 -2048, 0, -2048, 2048, 0, 2048,  -2048, 0, 2048};
    const std::vector<S32> tcoords = {0, 0, 0x10000, 0, 0x10000, 0x10000, 0, 0, 0x10000, 0x10000, 0, 0x10000};

    tsMatrix_Identity(&d->OpenGlMatrix);
    tsDisplay_BeginScene(d);
    tsDisplay_SetClearColor(d, 0);
    tsDisplay_ClearScene(d);
    tsDisplay_DrawTile(d, 5, vertices.data(), 6, texture.data(), tcoords.data(), FALSE);
    tsDisplay_EndScene(d);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    auto check = [&](const char* pass) {
        const std::vector<std::array<U8, 4>> pixels = readBack();
        // Quadrant interiors; the rows and columns next to a colour border are
        // blended by the linear filter.
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (std::abs(2 * y + 1 - kSize) < 4 || std::abs(2 * x + 1 - kSize) < 4) {
                    continue;
                }
                const std::array<U8, 4> want = expectedPixel(y * 512 / kSize, x * 512 / kSize);
                const std::array<U8, 4>& got = pixels[static_cast<size_t>(y) * kSize + x];
                ASSERT_EQ(got[0], want[0]) << pass << " at " << x << "," << y;
                ASSERT_EQ(got[1], want[1]) << pass << " at " << x << "," << y;
                ASSERT_EQ(got[2], want[2]) << pass << " at " << x << "," << y;
            }
        }
    };
    check("uploaded");

    // Redrawn from the cache, without vertices or texture.
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(tsDisplay_BeginScene(d));
    tsDisplay_DrawTile(d, 5, nullptr, 0, nullptr, nullptr, FALSE);
    tsDisplay_EndScene(d);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    check("cached");
}

} // namespace
