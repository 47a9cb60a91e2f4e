#include "platform/windows/wgl.h"

#include "platform/windows/pixel_format.h"

static_assert(FormatDoubleBuffer == PFD_DOUBLEBUFFER && FormatDrawToWindow == PFD_DRAW_TO_WINDOW &&
              FormatSupportOpenGl == PFD_SUPPORT_OPENGL && FormatGeneric == PFD_GENERIC_FORMAT &&
              FormatGenericAccelerated == PFD_GENERIC_ACCELERATED && FormatTypeRgba == PFD_TYPE_RGBA);

static bool DescribeFormat(int format, PixelFormatFacts& facts, void* device)
{
    PIXELFORMATDESCRIPTOR d;
    if (!DescribePixelFormat(static_cast<HDC>(device), format, sizeof d, &d)) return false;
    facts = {d.dwFlags, d.iPixelType, d.cColorBits, d.cAccumRedBits, d.cAccumGreenBits, d.cAccumBlueBits, d.cDepthBits};
    return true;
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.lpszClassName = "Vellum";
    return RegisterClassA(&windowClass) != 0;
}

bool MakeOpenGlCurrent(HDC device, HGLRC& context)
{
    PIXELFORMATDESCRIPTOR chosen;
    const int format =
        device ? ChoosePixelFormatFrom(DescribePixelFormat(device, 1, sizeof chosen, nullptr), DescribeFormat, device) : 0;
    if (!format || !DescribePixelFormat(device, format, sizeof chosen, &chosen) || !SetPixelFormat(device, format, &chosen))
        return false;
    if (!context) context = wglCreateContext(device);
    return context && wglMakeCurrent(device, context);
}
