// The one shader program of the 3D pipeline: textured triangles.
//
// Attribute 0 is the vertex position ("inVertex"), attribute 1 its texture
// coordinate ("inTexCoord"); the pipeline sets the uniforms "MVPMatrix" and
// "sTexture" by name. Building and destroying happen in the thread whose GL
// context is current.
#pragma once

#include "kernel/l_types.h"

#include <GLES2/gl2.h>

typedef struct shader {
    GLuint program;
    GLuint fragShader;
    GLuint vertexShader;
} shader_t;

typedef struct {
    GLuint index;
    const char* name;
} shader_attr_t;

extern shader_t g_texturedShader;

// TRUE when the program is linked and in use; otherwise the failure is
// logged with the GL info log and g_texturedShader is all zero.
BOOLEAN createTexturedShader(void);
// Deletes the record's objects where they exist and zeroes it; returns 0.
int destroyShader(shader_t* pShader);
