// vellum-capture: renders the still exactly as the deliverable of the same resolution does,
// presents one frame into an off-screen pbuffer (a hidden window where there is none, as on
// Wayland), and writes that frame or one of the pipeline's buffers as a PNG, top row first.
// Implemented: --stage, --timings (each part's time, what the accumulation check found and which
// OpenGL drew the passes), --no-accumulation-buffer, --accumulation driver|cpu, --version; the
// output file as cp treats its target (output_file.h): a target that cp would refuse (a file or
// directory the user may not write, a name too long, a dangling link, a link the kernel's
// protected_symlinks would not follow, a socket) is refused before the render; one line and
// status 1 or 2 on every failure.
// Not handled: a target that another program changes while the render runs.
//
// Known issues:
// - On Wayland alone there is no pbuffer: the frame is read back from a hidden window's back
//   buffer, which a driver may discard (Mesa keeps it).

#include <GLFW/glfw3.h>
#include <png.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/buffers.h"
#include "core/stages.h"
#include "gl/soft_gl.h"
#include "platform/linux/glfw_host.h"
#include "platform/linux/output_file.h"
#include "render/host.h"
#include "render/render.h"

using Clock = std::chrono::steady_clock;
static Clock::time_point stageStart;
static double cpuMilliseconds, renderMilliseconds;
static Clock::time_point frameStart;

// The host's calls (render/host.h): one frame, kept in the framebuffer to be read back. A
// signal ends the tool at once (its handler removes the temporary file), so there is nothing
// to answer between passes.
static void AnswerNothing(bool) {}
static bool FirstFrame()
{
    static bool drawn = false;
    frameStart = Clock::now();
    return !std::exchange(drawn, true);
}
static void KeepTheFrame() {}
static bool Drawn() { return true; }

static double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

static void PrintStageTime(const char* stage)
{
    glFinish();
    const double ms = MillisecondsSince(stageStart);
    std::fprintf(stderr, "%-10s %9.2f ms\n", stage, ms);
    const std::string name = stage;
    if (name == "grain" || name == "vignette") cpuMilliseconds += ms;
    renderMilliseconds += ms;
    stageStart = Clock::now();
}

static const char help[] =
    "usage: " VELLUM_PROGRAM " OUT.png [--stage frame|render|composite|grain|vignette] [--timings]\n"
    "       [--no-accumulation-buffer] [--accumulation driver|cpu] [--threads N]\n"
    "       " VELLUM_PROGRAM " --version | --help\n"
    "  frame      the finished frame as drawn (default)\n"
    "  render     the averaged render, before the vignette and grain\n"
    "  composite  the render under the vignette, before the grain\n"
    "  grain      the film grain\n"
    "  vignette   the vignette mask\n"
    "--timings prints the time of each part of the render and of one frame on stderr\n"
    "--no-accumulation-buffer asks for a framebuffer without one, as some platforms give, so\n"
    "  that Vellum's own OpenGL draws the passes\n"
    "--accumulation draws and averages the passes in the system's OpenGL and its accumulation\n"
    "  buffer even where the start-up check rejects it (driver), or in Vellum's own OpenGL on\n"
    "  the CPU even where the check accepts it (cpu)\n"
    "--threads draws the passes in Vellum's own OpenGL on N threads, 1 to 8 (the default: one\n"
    "  for each processor, up to 8); the picture is the same on any number\n";

// One line for a bad command line, and status 2.
static int BadArguments(const std::string& what)
{
    std::fprintf(stderr, VELLUM_PROGRAM ": %s; '" VELLUM_PROGRAM " --help' lists the options\n", what.c_str());
    return 2;
}

static void RemoveTemporaryAndDie(int signal)
{
    RemoveTemporaryOutput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// libpng reports through errno and the return value here, not on stderr.
static void PngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void PngWarned(png_structp, png_const_charp) {}

static bool WritePng(std::FILE* file, const std::uint8_t* bottomUpRgba)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarned);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, ScreenWidth, ScreenHeight, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < ScreenHeight; ++y) png_write_row(png, ScreenRow(bottomUpRgba, y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

int main(int argc, char** argv)
{
    OpenStandardStreams();
    std::string out, stage = "frame";
    bool timings = false, accumulationBuffer = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" && argc == 2) {
            if (std::fputs(help, stdout) >= 0 && std::fflush(stdout) == 0) return 0;
            std::fprintf(stderr, VELLUM_PROGRAM ": cannot write the help: %s\n", std::strerror(errno));
            return 1;
        }
        if (arg == "--stage" && i + 1 < argc) stage = argv[++i];
        else if (arg == "--version" && argc == 2) {
            if (std::puts(VELLUM_PROGRAM " " VELLUM_VERSION) >= 0 && std::fflush(stdout) == 0) return 0;
            std::fprintf(stderr, VELLUM_PROGRAM ": cannot write the version: %s\n", std::strerror(errno));
            return 1;
        }
        else if (arg == "--timings") timings = true;
        else if (arg == "--no-accumulation-buffer") accumulationBuffer = false;
        else if (arg == "--accumulation" && i + 1 < argc && std::string(argv[i + 1]) == "driver")
            accumulationChoice = AccumulationChoice::Driver, ++i;
        else if (arg == "--accumulation" && i + 1 < argc && std::string(argv[i + 1]) == "cpu")
            accumulationChoice = AccumulationChoice::Cpu, ++i;
        else if (arg == "--threads" && i + 1 < argc && std::strlen(argv[i + 1]) == 1 && argv[i + 1][0] >= '1' && argv[i + 1][0] <= '8')
            SoftGlUseThreads(argv[++i][0] - '0');
        else if (arg.empty()) return BadArguments("the output file's name is empty");
        else if (arg == "-") return BadArguments("'-' is no file name here: ./- names a file called -, /dev/stdout the output");
        else if (arg.rfind('-', 0) != 0 && out.empty()) out = arg;
        else if (arg == "--stage") return BadArguments("--stage needs a stage");
        else if (arg == "--accumulation") return BadArguments("--accumulation takes driver or cpu");
        else if (arg == "--threads") return BadArguments("--threads takes a count from 1 to 8");
        else if (arg.rfind('-', 0) != 0) return BadArguments("one output file only, not also " + Quoted(arg));
        else return BadArguments("unknown option " + Quoted(arg));
    }
    const std::uint8_t* buffer = stage == "render"    ? renderImage
                               : stage == "composite" ? compositeImage
                               : stage == "grain"     ? grainImage
                               : stage == "vignette"  ? vignetteMask
                                                      : nullptr;
    if (out.empty()) return BadArguments("no output file given");
    if (!buffer && stage != "frame") return BadArguments("no stage " + Quoted(stage) + " (frame, render, composite, grain or vignette)");

    // Everything that can be known about the target is checked before the long render, and the
    // file that will replace it is made then; a signal from then on removes it. Past a file
    // size limit the write fails and says so, rather than ending the program.
    CatchTerminationSignals(RemoveTemporaryAndDie);
    std::signal(SIGXFSZ, SIG_IGN);
    if (const std::string wrong = PrepareOutput(out); !wrong.empty()) {
        std::fprintf(stderr, VELLUM_PROGRAM ": %s\n", wrong.c_str());
        return 1;
    }

    // Drawn where the driver must keep the pixels: a pbuffer where the X display offers one,
    // else (Wayland alone) a hidden window.
    GLFWwindow* window = nullptr;
    if (!MakeOffscreenSurfaceCurrent(ScreenWidth, ScreenHeight, accumulationBuffer)) {
        StartGlfw(VELLUM_PROGRAM);
        RequestFramebuffer();
        if (!accumulationBuffer)
            for (int hint : {GLFW_ACCUM_RED_BITS, GLFW_ACCUM_GREEN_BITS, GLFW_ACCUM_BLUE_BITS, GLFW_ACCUM_ALPHA_BITS})
                glfwWindowHint(hint, 0);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(ScreenWidth, ScreenHeight, VELLUM_PROGRAM, nullptr, nullptr);
        if (!window) FailWithGlfw("cannot open an OpenGL window");
        glfwMakeContextCurrent(window);
    }
    openGl = &systemGl;
    if (timings) {
        GLint bits = 0, samples = 0, red = 0, alpha = 0;
        glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
        glGetIntegerv(GL_SAMPLES, &samples);
        glGetIntegerv(GL_RED_BITS, &red);
        glGetIntegerv(GL_ALPHA_BITS, &alpha);
        std::fprintf(stderr, "drawn in %s; accumulation buffer: %d bits a channel; colour %d, alpha %d, samples %d\n",
                     window ? "a hidden window" : "an off-screen pbuffer", bits, red, alpha, samples);
    }

    if (timings) renderStageDone = PrintStageTime;
    const Clock::time_point renderStart = stageStart = Clock::now();
    ShowThePicture({.answer = AnswerNothing, .frameWanted = FirstFrame, .swap = KeepTheFrame, .endWanted = Drawn});
    if (timings) {
        const AccumulationAnswers& a = accumulationAnswers;
        const char* fault = AccumulationFault(a);
        std::fprintf(stderr, "accumulation check: mixes %d %d (sound: 127 or 128, 96), levels %d %d %d %d %d %d%s\n",
                     a.mix[0], a.mix[1], a.levels[0], a.levels[1], a.levels[2], a.levels[3], a.levels[4],
                     a.levels[5], a.glError ? ", OpenGL error" : "");
        char own[64];
        std::snprintf(own, sizeof own, "by Vellum's own OpenGL on %d threads", SoftGlThreads());
        std::fprintf(stderr, "passes drawn %s (%s%s)\n", passesDrawnByHost ? "and averaged by the system's OpenGL" : own,
                     accumulationChoice != AccumulationChoice::Checked ? "chosen; the check finds " : "",
                     fault ? fault : "the accumulation buffer is sound");
        std::fprintf(stderr, "%-10s %9.2f ms\n", "RenderStill", MillisecondsSince(renderStart) - MillisecondsSince(frameStart));
        std::fprintf(stderr, "%-10s %9.2f ms\n", "frame", MillisecondsSince(frameStart));
        std::fprintf(stderr, "grain and vignette: %.2f%% of RenderStill\n", 100 * cpuMilliseconds / renderMilliseconds);
    }
    std::vector<std::uint8_t> frame;
    if (!buffer) {
        frame.resize(std::size_t(ScreenPixels) * 4);
        glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
        buffer = frame.data();
    }
    if (window) {
        glfwDestroyWindow(window);
        glfwTerminate();
    }
    ReleaseOffscreenSurface();

    if (const std::string wrong = WriteOutput(WritePng, buffer); !wrong.empty()) {
        std::fprintf(stderr, VELLUM_PROGRAM ": %s\n", wrong.c_str());
        return 1;
    }
    return 0;
}
