// The system's OpenGL library as a table of the portable code's entry points.

#define VELLUM_SYSTEM_GL_NAMES
#include "gl/opengl.h"

const OpenGl systemGl = {
    // Named, so that two entries of one type can never trade places.
    .Begin = glBegin, .Vertex2s = glVertex2s, .End = glEnd, .Color3ub = glColor3ub, .Color4ub = glColor4ub,
    .Enable = glEnable, .Disable = glDisable, .BlendFunc = glBlendFunc, .Scissor = glScissor,
    .PushAttrib = glPushAttrib, .PopAttrib = glPopAttrib, .GetIntegerv = glGetIntegerv, .GetError = glGetError,
    .ClearColor = glClearColor, .ClearAccum = glClearAccum, .Clear = glClear, .Accum = glAccum,
    .Ortho = glOrtho, .PushMatrix = glPushMatrix, .PopMatrix = glPopMatrix,
    .Translatef = glTranslatef, .Viewport = glViewport,
    .PixelStorei = glPixelStorei, .PixelZoom = glPixelZoom, .Bitmap = glBitmap,
    .DrawPixels = glDrawPixels, .ReadPixels = glReadPixels,
    .Flush = glFlush, .Finish = glFinish,
};
