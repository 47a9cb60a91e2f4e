// OpenGL 1.1 as the portable code calls it. The picture and the render are written once, as
// OpenGL 1.1 calls, and reach whichever OpenGL `openGl` names: the system's (systemGl), or
// Vellum's own on the CPU (softGl, gl/soft_gl.h). The host names the one it shows frames with
// before the render; the render itself moves the passes to Vellum's own where the system's
// accumulation buffer strays (ChoosePassOpenGl, render/accumulation.cpp). That is the one
// place where the choice is made.
//
// Windows' <GL/gl.h> needs WINGDIAPI and APIENTRY, which it would otherwise get by including
// all of <windows.h>; defining them here keeps that out.
#pragma once

#if defined(_WIN32) && !(defined(WINGDIAPI) && defined(APIENTRY))
#define APIENTRY __stdcall
#define WINGDIAPI __declspec(dllimport)
#endif
#include <GL/gl.h>

// The entry points of one OpenGL: those of the subset the portable code uses, in the system
// library's calling convention.
struct OpenGl {
    // drawing
    void(APIENTRY* Begin)(GLenum mode);
    void(APIENTRY* Vertex2s)(GLshort x, GLshort y);
    void(APIENTRY* End)();
    void(APIENTRY* Color3ub)(GLubyte r, GLubyte g, GLubyte b);
    void(APIENTRY* Color4ub)(GLubyte r, GLubyte g, GLubyte b, GLubyte a);
    // state
    void(APIENTRY* Enable)(GLenum capability);
    void(APIENTRY* Disable)(GLenum capability);
    void(APIENTRY* BlendFunc)(GLenum source, GLenum destination);
    void(APIENTRY* Scissor)(GLint x, GLint y, GLsizei width, GLsizei height);
    void(APIENTRY* PushAttrib)(GLbitfield mask);
    void(APIENTRY* PopAttrib)();
    void(APIENTRY* GetIntegerv)(GLenum name, GLint* value);
    GLenum(APIENTRY* GetError)();
    // buffers
    void(APIENTRY* ClearColor)(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    void(APIENTRY* ClearAccum)(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    void(APIENTRY* Clear)(GLbitfield mask);
    void(APIENTRY* Accum)(GLenum operation, GLfloat value);
    // matrices and the window
    void(APIENTRY* Ortho)(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near, GLdouble far);
    void(APIENTRY* PushMatrix)();
    void(APIENTRY* PopMatrix)();
    void(APIENTRY* Translatef)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* Viewport)(GLint x, GLint y, GLsizei width, GLsizei height);
    // pixels
    void(APIENTRY* PixelStorei)(GLenum name, GLint value);
    void(APIENTRY* PixelZoom)(GLfloat x, GLfloat y);
    void(APIENTRY* Bitmap)(GLsizei width, GLsizei height, GLfloat x, GLfloat y, GLfloat moveX, GLfloat moveY,
                           const GLubyte* bits);
    void(APIENTRY* DrawPixels)(GLsizei width, GLsizei height, GLenum format, GLenum type, const void* pixels);
    void(APIENTRY* ReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                               void* pixels);
    // synchronisation
    void(APIENTRY* Flush)();
    void(APIENTRY* Finish)();
};

extern const OpenGl* openGl;  // the OpenGL the portable code's calls reach now
extern const OpenGl systemGl;  // the system's library (gl/system_gl.cpp), where a program links one

// The portable code keeps OpenGL's own names. (A file that fills a table from the system's
// library defines VELLUM_SYSTEM_GL_NAMES first, to see the library's names instead.)
#ifndef VELLUM_SYSTEM_GL_NAMES
#define glBegin       openGl->Begin
#define glVertex2s    openGl->Vertex2s
#define glEnd         openGl->End
#define glColor3ub    openGl->Color3ub
#define glColor4ub    openGl->Color4ub
#define glEnable      openGl->Enable
#define glDisable     openGl->Disable
#define glBlendFunc   openGl->BlendFunc
#define glScissor     openGl->Scissor
#define glPushAttrib  openGl->PushAttrib
#define glPopAttrib   openGl->PopAttrib
#define glGetIntegerv openGl->GetIntegerv
#define glGetError    openGl->GetError
#define glClearColor  openGl->ClearColor
#define glClearAccum  openGl->ClearAccum
#define glClear       openGl->Clear
#define glAccum       openGl->Accum
#define glOrtho       openGl->Ortho
#define glPushMatrix  openGl->PushMatrix
#define glPopMatrix   openGl->PopMatrix
#define glTranslatef  openGl->Translatef
#define glViewport    openGl->Viewport
#define glPixelStorei openGl->PixelStorei
#define glPixelZoom   openGl->PixelZoom
#define glBitmap      openGl->Bitmap
#define glDrawPixels  openGl->DrawPixels
#define glReadPixels  openGl->ReadPixels
#define glFlush       openGl->Flush
#define glFinish      openGl->Finish
#endif
