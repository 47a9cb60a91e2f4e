// What the tests that start the real programs share: starting and waiting for processes,
// and reading, comparing and driving the X server's screen.
#pragma once

#include <gtest/gtest.h>  // before Xlib, whose None and Bool macros it would trip over
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "png_io.h"
#include "pins.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace harness {

struct Build {
    const char* suffix;
    int width, height;
};

inline std::string Program(const std::string& name) { return std::string(VELLUM_BIN_DIR) + "/" + name; }

inline fs::path Scratch()
{
    static const fs::path dir = [] {
        char pattern[] = "/tmp/vellum-test-XXXXXX";
        return fs::path(mkdtemp(pattern));
    }();
    return dir;
}

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts a program with stderr to a file; without a display if asked.
inline pid_t Start(const std::vector<std::string>& args, const fs::path& errors, bool display = true)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (!display) unsetenv("DISPLAY");
        if (!freopen(errors.c_str(), "w", stderr)) _exit(126);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for the exit, bounded only to catch a hang; -1 (and the process killed) on a hang.
inline int Wait(pid_t pid, std::chrono::seconds bound = 300s)
{
    const auto end = std::chrono::steady_clock::now() + bound;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(50ms);
    }
    return status;
}

inline int RunProgram(const std::vector<std::string>& args, const fs::path& errors, bool display = true)
{
    return Wait(Start(args, errors, display));
}

inline bool Exited(int status, int code) { return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code; }

inline int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

// The top-left width x height of the screen, as RGBA top row first.
inline Image Screenshot(Display* display, int width, int height)
{
    Image shot{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) return {};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            std::uint8_t* out = &shot.rgba[(std::size_t(y) * width + x) * 4];
            out[0] = (pixel & image->red_mask) >> 16;
            out[1] = (pixel & image->green_mask) >> 8;
            out[2] = pixel & image->blue_mask;
            out[3] = 255;
        }
    XDestroyImage(image);
    return shot;
}

inline bool SameColours(const Image& a, const Image& b)
{
    if (a.width != b.width || a.height != b.height) return false;
    for (std::size_t i = 0; i < a.rgba.size(); i += 4)
        if (a.rgba[i] != b.rgba[i] || a.rgba[i + 1] != b.rgba[i + 1] || a.rgba[i + 2] != b.rgba[i + 2]) return false;
    return true;
}

inline void PressKey(Display* display, KeySym key)
{
    const KeyCode code = XKeysymToKeycode(display, key);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    XFlush(display);
}

// Windows come and go while a test searches them (a program's window closing, Wine's helper
// windows): an error about a window that has just gone is no failure, and Xlib's default
// handler would end the test for it. Other errors are printed; the test's checks decide.
inline int NoteXError(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow) return 0;
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
    return 0;
}

// A connection to the test X server, tried for a few seconds in case it is busy.
inline Display* OpenDisplay()
{
    XSetErrorHandler(NoteXError);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr)) return display;
        std::this_thread::sleep_for(100ms);
    }
    return nullptr;
}

// Whether a screenshot shows the frame zoomed by `zoom` from its top-left corner, over the
// whole shot. Larger, each pixel is the frame's pixel under its centre or, for another
// OpenGL's rounding of the zoom, one beside it, within the one level by which a zoomed blend
// may round differently. Smaller, each is the average of the frame pixels under it, rounded,
// as the programs define it on the frame's rows counted from the bottom (within a level).
inline bool ShowsZoomed(const Image& shot, const Image& frame, double zoom)
{
    if (zoom < 1) {
        const int width = shot.width, height = shot.height;
        std::vector<long> sums(3 * std::size_t(width) * height), counts(std::size_t(width) * height);
        for (int v = 0; v < frame.height; ++v)  // v counted from the bottom
            for (int u = 0; u < frame.width; ++u) {
                const long x = long(u) * width / frame.width, y = height - 1 - long(v) * height / frame.height;
                const std::size_t at = std::size_t(y) * width + std::size_t(x);
                for (int c = 0; c < 3; ++c) sums[3 * at + c] += frame.At(u, frame.height - 1 - v)[c];
                ++counts[at];
            }
        for (std::size_t at = 0; at < counts.size(); ++at)
            for (int c = 0; c < 3; ++c) {
                const long average = (2 * sums[3 * at + c] + counts[at]) / (2 * counts[at]);
                if (std::abs(average - shot.rgba[4 * at + c]) > 1) return false;
            }
        return true;
    }
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const int sx = int((x + 0.5) / zoom), sy = int((y + 0.5) / zoom);
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    const int fx = std::clamp(sx + dx, 0, frame.width - 1), fy = std::clamp(sy + dy, 0, frame.height - 1);
                    near = std::equal(shot.At(x, y), shot.At(x, y) + 3, frame.At(fx, fy),
                                      [](int a, int b) { return std::abs(a - b) <= 1; });
                }
            if (!near) return false;
        }
    return true;
}

// Waits up to three minutes, while the program runs, for the screen's top-left width x height
// to show the frame zoomed so.
inline bool WaitForZoomed(Display* display, pid_t pid, const Image& frame, int width, int height, double zoom)
{
    for (auto end = std::chrono::steady_clock::now() + 180s; std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(500ms);
        if (ShowsZoomed(Screenshot(display, width, height), frame, zoom)) return true;
        int status;
        if (waitpid(pid, &status, WNOHANG) != 0) return false;
    }
    return false;
}

inline bool WaitForScreen(Display* display, pid_t pid, const Image& image)
{
    for (auto end = std::chrono::steady_clock::now() + 180s; std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(250ms);
        if (SameColours(Screenshot(display, image.width, image.height), image)) return true;
        int status;
        if (waitpid(pid, &status, WNOHANG) != 0) return false;
    }
    return false;
}

// The folder of the x86-64 Windows build that `make test` names, or null.
inline const char* WindowsBuild()
{
    const char* build = std::getenv("VELLUM_WINDOWS_BUILD");
    return build && fs::exists(fs::path(build) / "vellum-720.exe") ? build : nullptr;
}

// Skips the test, saying why; with VELLUM_REQUIRE_ALL=1 (CI sets it) nothing may be skipped,
// and the test fails instead.
inline bool RequireAll()
{
    const char* all = std::getenv("VELLUM_REQUIRE_ALL");
    return all && std::string(all) == "1";
}
#define VELLUM_SKIP(why)                                                                  \
    do {                                                                                  \
        if (harness::RequireAll()) FAIL() << (why) << " (VELLUM_REQUIRE_ALL=1 allows no skip)"; \
        GTEST_SKIP() << (why);                                                            \
    } while (false)

// Why the Windows programs cannot be run here, or null where they can.
inline const char* WhyNoWindowsPrograms()
{
    if (!WindowsBuild()) return "no Windows build: VELLUM_WINDOWS_BUILD does not name a folder with vellum-720.exe";
    if (std::system("command -v wine >/dev/null 2>&1") != 0) return "wine is not installed";
    return nullptr;
}

// Wine keeps one server per prefix, tied to the X display of the program that started it, so
// the tests that run Windows programs on different X servers take turns: each turn holds a
// lock on the prefix, and starts and ends with no Wine server running.
struct WineTurn {
    WineTurn()
    {
        const char* prefix = std::getenv("WINEPREFIX");
        const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/tmp";
        lock = open(((prefix ? std::string(prefix) : home + "/.wine") + "/.vellum-turn").c_str(), O_CREAT | O_RDWR, 0600);
        if (lock >= 0) flock(lock, LOCK_EX);
        EndWine();
    }
    ~WineTurn()
    {
        EndWine();
        if (lock >= 0) close(lock);
    }
    static void EndWine() { [[maybe_unused]] int ended = std::system("wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1"); }
    int lock;
};

// Starts a Windows program of that build under Wine (quiet), in a WineTurn.
inline pid_t StartUnderWine(const std::string& program, const fs::path& errors, const std::vector<std::string>& args = {})
{
    setenv("WINEDEBUG", "-all", 1);
    std::vector<std::string> command = {"/usr/bin/env", "wine", (fs::path(WindowsBuild()) / program).string()};
    command.insert(command.end(), args.begin(), args.end());
    return Start(command, errors);
}

// Whether a PNG of a stage of the picture ("frame", "render", ...) is the pinned one, or drawn by
// an OpenGL that places edges differently (tests/picture_check.cpp decides, and says which);
// a picture that is not the pinned one prints the checker's line.
inline ::testing::AssertionResult DrawnAsPinned(const fs::path& png, const std::string& stage, const Build& build)
{
    const std::string command = Program(std::string("tests/picture_check_") + build.suffix) + " " + stage + " '" +
                                png.string() + "' 2>&1";
    std::string line;
    FILE* check = popen(command.c_str(), "r");
    if (!check) return ::testing::AssertionFailure() << "picture_check could not be started";
    for (char buffer[512]; std::fgets(buffer, sizeof buffer, check);) line += buffer;
    const int status = pclose(check);
    if (line.rfind("not the pinned picture", 0) == 0) std::printf("%s: %s", png.filename().c_str(), line.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << png.filename().string() << ": " << line;
}

// The capture tool's frame for a build, made once per run.
inline const Image& CapturedFrame(const Build& build)
{
    static std::map<std::string, Image> frames;
    Image& frame = frames[build.suffix];
    if (frame.width == 0) {
        const fs::path png = Scratch() / (std::string("frame-") + build.suffix + ".png");
        const fs::path errors = Scratch() / "capture.txt";
        const int status = RunProgram({Program(std::string("vellum-capture-") + build.suffix), png.string()}, errors);
        EXPECT_TRUE(Exited(status, 0)) << ReadFile(errors);
        EXPECT_TRUE(ReadPng(png, frame));
        EXPECT_EQ(frame.width, build.width);
        EXPECT_EQ(frame.height, build.height);
        EXPECT_TRUE(DrawnAsPinned(png, "frame", build)) << "the frame changed";
    }
    return frame;
}

}  // namespace harness
