// Which of a device's pixel formats the Windows programs take: the facts of each format that
// decide it, and the choice, as a pure function so that it can be tested on any system.
#pragma once

// The PIXELFORMATDESCRIPTOR flags and pixel type that matter here, with their Windows values
// (windows.cpp checks them against <windows.h>).
constexpr unsigned FormatDoubleBuffer        = 0x00000001;  // PFD_DOUBLEBUFFER
constexpr unsigned FormatDrawToWindow        = 0x00000004;  // PFD_DRAW_TO_WINDOW
constexpr unsigned FormatSupportOpenGl       = 0x00000020;  // PFD_SUPPORT_OPENGL
constexpr unsigned FormatGeneric             = 0x00000040;  // PFD_GENERIC_FORMAT: Microsoft's software OpenGL
constexpr unsigned FormatGenericAccelerated  = 0x00001000;  // PFD_GENERIC_ACCELERATED: a driver behind it
constexpr int      FormatTypeRgba            = 0;           // PFD_TYPE_RGBA

struct PixelFormatFacts {
    unsigned flags;
    int pixelType;
    int colourBits;
    int accumRedBits, accumGreenBits, accumBlueBits;
    int depthBits;
};

// The format to set, 1-based as DescribePixelFormat counts them, or 0 where none will do, of
// `count` formats that describe(format, facts, device) tells (false for one that cannot be
// described, which is passed over). A usable format draws to a window with OpenGL,
// double-buffered, in RGBA of 24 or more colour bits. Among those, in this order: the first of
// the driver's formats (not Microsoft's software renderer, unless a driver accelerates it)
// with 8 or more accumulation bits in each colour channel; the first driver format without;
// and only where the device has no driver format at all, the first software one. Depth is
// never tested, but within each of those a format with a depth buffer of 16 or more bits goes
// first, as the programs have always asked: Mesa's llvmpipe draws to a framebuffer without
// depth by another path, which places some edge pixels a level or two differently. The search
// stops at the first format of the best rank (Wine offers hundreds).
int ChoosePixelFormatFrom(int count, bool (*describe)(int format, PixelFormatFacts& facts, void* device), void* device);
