// The pipeline's GPU table on OpenGL ES 2.0, in the current context of the
// calling thread.
//
// Tiles are drawn with the textured shader: attribute 0 takes the positions
// (three floats), attribute 1 the texture coordinates (two 16.16 fixed-point
// values, GL_FIXED), and the uniforms MVPMatrix and sTexture are set by
// name. GPU names are never deleted: the tile cache keeps them for the life
// of the process. Errors are not queried.
#include "render3d/ts_gpu.h"

#include <EGL/egl.h>
#include <GLES2/gl2.h>

namespace {

void (*s_pfnBringUp)(void) = nullptr;
U32 (*s_pfnTexturedProgram)(void) = nullptr;

GLuint texturedProgram(void) { return s_pfnTexturedProgram ? static_cast<GLuint>(s_pfnTexturedProgram()) : 0; }

void initGraphicsLib(void)
{
    if (s_pfnBringUp) {
        s_pfnBringUp();
    }
}

void viewport(S32 s32Width, S32 s32Height) { glViewport(0, 0, s32Width, s32Height); }

void enableCulling(void) { glEnable(GL_CULL_FACE); }

void clearColor(float r, float g, float b, float a) { glClearColor(r, g, b, a); }

// OpenGL ES 2.0 has no current colour; the nearest is the constant value of
// a vertex attribute that no array feeds. The textured shader reads
// attributes 0 and 1 only, so slot 2 holds the colour.
void color(float r, float g, float b, float a) { glVertexAttrib4f(2, r, g, b, a); }

void clear(void) { glClear(GL_COLOR_BUFFER_BIT); }

void loadMatrix(const float* pfMatrix)
{
    const GLuint program = texturedProgram();
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "MVPMatrix"), 1, GL_FALSE, pfMatrix);
}

void waitGL(void) { eglWaitGL(); }

U32 genTexture(void)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

void uploadTexture(U32 u32Texture, const U16* pu16Texels)
{
    glBindTexture(GL_TEXTURE_2D, u32Texture);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 512, 512, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, pu16Texels);
}

void genBuffers(U32* pu32Buffers)
{
    GLuint names[2] = {0, 0};
    glGenBuffers(2, names);
    pu32Buffers[0] = names[0];
    pu32Buffers[1] = names[1];
}

void uploadBuffers(const U32* pu32Buffers, const void* pvPositions, const S32* ps32TexCoords, S32 s32Count)
{
    glBindBuffer(GL_ARRAY_BUFFER, pu32Buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s32Count) * 12, pvPositions, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, pu32Buffers[1]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s32Count) * 8, ps32TexCoords, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void drawTriangles(U32 u32Texture, const U32* pu32Buffers, S32 s32Count)
{
    glUniform1i(glGetUniformLocation(texturedProgram(), "sTexture"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, u32Texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glBindBuffer(GL_ARRAY_BUFFER, pu32Buffers[0]);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, pu32Buffers[1]);
    glVertexAttribPointer(1, 2, GL_FIXED, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDrawArrays(GL_TRIANGLES, 0, s32Count);
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
}

const TS_GPU s_gles2 = {initGraphicsLib, viewport,      enableCulling, clearColor,    color,
                        clear,           loadMatrix,    waitGL,        genTexture,    uploadTexture,
                        genBuffers,      uploadBuffers, drawTriangles};

} // namespace

void TS_GPU_vUseGles2(void (*pfnBringUp)(void), U32 (*pfnTexturedProgram)(void))
{
    s_pfnBringUp = pfnBringUp;
    s_pfnTexturedProgram = pfnTexturedProgram;
    TS_GPU_vInstall(&s_gles2);
}
