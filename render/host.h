// The one lifecycle of every entry that shows the picture (the deliverables, the capture tool,
// the page and the screen savers), written once above the platforms, as GLFW writes its own
// above its platform layer: render once, answering the system between passes; present the
// frame when the window needs it; rest otherwise; end on the host's own signal. Each platform
// supplies only its primitives, as a table of calls.
#pragma once

struct HostCalls {
    // Answers the window's events and the system's signals, and may end the process there (a
    // close, a termination signal). Between passes `rest` is false; after a frame it is true,
    // and the call first sleeps until an event comes or a tenth of a second has passed, so
    // that signals are answered within it.
    void (*answer)(bool rest);
    // Whether the window has lost its picture or changed size since last asked (and, if so,
    // framebufferWidth and framebufferHeight say its size now); true the first time.
    bool (*frameWanted)();
    // Shows what PresentFrame drew: a buffer swap, or the page's canvas.
    void (*swap)();
    // Whether the host's own signal to end has come: Escape, a saver's key or click, or just
    // the first frame, for a tool that keeps it.
    bool (*endWanted)();
};

// Runs the lifecycle on the current OpenGL (openGl names it) until endWanted, then returns
// with the frame last presented still in the framebuffer. At least one frame is presented.
void ShowThePicture(const HostCalls& host);
