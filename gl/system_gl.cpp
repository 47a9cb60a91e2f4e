// The system's OpenGL library as a table of the portable code's entry points.

#define VELLUM_SYSTEM_GL_NAMES
#include "gl/opengl.h"

const OpenGl systemGl = {
    glBegin, glVertex2s, glEnd, glColor3ub, glColor4ub,
    glEnable, glDisable, glBlendFunc, glScissor, glPushAttrib, glPopAttrib, glGetIntegerv, glGetError,
    glClearColor, glClearAccum, glClear, glAccum,
    glOrtho, glPushMatrix, glPopMatrix, glTranslatef, glViewport,
    glPixelStorei, glPixelZoom, glBitmap, glDrawPixels, glReadPixels,
    glFlush, glFinish,
};
