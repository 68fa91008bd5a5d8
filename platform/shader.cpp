// The textured shader (see shader.h). A rebuild first deletes the program it
// replaces, so repeated bring-ups hold one program, not one per call.
#include "platform/shader.h"

#include "kernel/lm_log.h"

#include <vector>

shader_t g_texturedShader;

namespace {

const char* const FRAGMENT_SOURCE =
    "uniform sampler2D sTexture;\n"
    "varying mediump vec2 TexCoord;\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = texture2D(sTexture, TexCoord);\n"
    "}\n";

const char* const VERTEX_SOURCE =
    "attribute highp vec4 inVertex;\n"
    "attribute mediump vec2 inTexCoord;\n"
    "uniform mediump mat4 MVPMatrix;\n"
    "varying mediump vec2 TexCoord;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = MVPMatrix * inVertex;\n"
    "    TexCoord = inTexCoord;\n"
    "}\n";

const shader_attr_t ATTRIBUTES[] = {{0, "inVertex"}, {1, "inTexCoord"}};

// Compiles one stage into *pName; FALSE after logging the info log.
BOOLEAN bCompile(GLenum type, const char* pcSource, GLuint* pName)
{
    *pName = glCreateShader(type);
    glShaderSource(*pName, 1, &pcSource, nullptr);
    glCompileShader(*pName);
    GLint status = GL_FALSE;
    glGetShaderiv(*pName, GL_COMPILE_STATUS, &status);
    if (status)
        return TRUE;
    GLint length = 0;
    glGetShaderiv(*pName, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log((size_t)(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(*pName, (GLsizei)log.size(), nullptr, log.data());
    log_me("%s shader error \"%s\"", "compile", log.data());
    return FALSE;
}

} // namespace

BOOLEAN createTexturedShader(void)
{
    destroyShader(&g_texturedShader);
    shader_t& s = g_texturedShader;

    if (!bCompile(GL_FRAGMENT_SHADER, FRAGMENT_SOURCE, &s.fragShader) ||
        !bCompile(GL_VERTEX_SHADER, VERTEX_SOURCE, &s.vertexShader)) {
        destroyShader(&s);
        return FALSE;
    }

    s.program = glCreateProgram();
    glAttachShader(s.program, s.fragShader);
    glAttachShader(s.program, s.vertexShader);
    for (const shader_attr_t& a : ATTRIBUTES)
        glBindAttribLocation(s.program, a.index, a.name);
    glLinkProgram(s.program);
    GLint status = GL_FALSE;
    glGetProgramiv(s.program, GL_LINK_STATUS, &status);
    if (!status) {
        GLint length = 0;
        glGetProgramiv(s.program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log((size_t)(length > 0 ? length : 1), '\0');
        glGetProgramInfoLog(s.program, (GLsizei)log.size(), nullptr, log.data());
        log_me("%s program error \"%s\"", "link", log.data());
        destroyShader(&s);
        return FALSE;
    }
    glUseProgram(s.program);
    return TRUE;
}

int destroyShader(shader_t* pShader)
{
    if (pShader->program)
        glDeleteProgram(pShader->program);
    if (pShader->vertexShader)
        glDeleteShader(pShader->vertexShader);
    if (pShader->fragShader)
        glDeleteShader(pShader->fragShader);
    *pShader = {};
    return 0;
}
