// vellum-capture: renders the still exactly as the deliverable of the same resolution does,
// presents one frame into a hidden window, and writes that frame or one of the pipeline's
// buffers as a PNG, top row first.
// Implemented: --stage, --timings (each part's time, what the accumulation check found and which
// OpenGL drew the passes), --no-accumulation-buffer, --accumulation driver|cpu, --version; the target
// checked before the render; a regular file replaced whole through a temporary one beside it
// (never a partial PNG, permissions and, for root, owner kept); devices and FIFOs written in
// place; one line and status 1 or 2 on every failure.
// Symbolic links are written through to the file they name, and a target that cp would refuse
// (a file or directory the user may not write, a name too long, a dangling link, a link the
// kernel's protected_symlinks would not follow, a socket) is refused before the render, with
// the name quoted as cp quotes it. Replacing a file gives the name a new file, as cp
// --remove-destination does: other hard links to the old one keep the old picture.
// Not handled: a target that another program changes while the render runs.

#include <GLFW/glfw3.h>
#include <png.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/buffers.h"
#include "core/stages.h"
#include "platform/linux/glfw_host.h"
#include "render/render.h"

using Clock = std::chrono::steady_clock;
static Clock::time_point stageStart;
static double cpuMilliseconds, renderMilliseconds;

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
    "       [--no-accumulation-buffer] [--accumulation driver|cpu]\n"
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
    "  the CPU even where the check accepts it (cpu)\n";

// A name as cp quotes it in its messages: in single quotes, and a control character (a
// newline, say) as a $'...' escape between quoted parts, so that every message is one line.
static std::string Quoted(const std::string& name)
{
    std::string quoted = "'";
    for (const unsigned char c : name) {
        if (c == '\'') {
            quoted += "'\\''";
        } else if (c < 32 || c == 127) {
            static const char digits[] = "01234567";
            const char escape[] = {'\'', '$', '\'', '\\', digits[c >> 6], digits[(c >> 3) & 7], digits[c & 7], '\'', '\'', 0};
            quoted += escape;
        } else {
            quoted += char(c);
        }
    }
    return quoted + "'";
}

// One line for a bad command line, and status 2.
static int BadArguments(const std::string& what)
{
    std::fprintf(stderr, VELLUM_PROGRAM ": %s; '" VELLUM_PROGRAM " --help' lists the options\n", what.c_str());
    return 2;
}

// A regular file (or a new one) is written to a temporary file in the same directory and
// renamed over the target only once complete, so an interrupted or failed run never leaves a
// partial PNG; the temporary file exists only while the PNG is written. A symbolic link is
// written through, to the file it names, as cp does. Anything else that exists at the path
// (/dev/null, a FIFO, a terminal) is written to directly. The temporary file is named
// relative to its directory, so a path as long as the system allows still has room for it.
static int directoryFd = -1;
static char temporaryName[32];
static volatile std::sig_atomic_t temporaryExists = 0;

static void RemoveTemporaryAndDie(int signal)
{
    if (temporaryExists) unlinkat(directoryFd, temporaryName, 0);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

[[noreturn]] static void FailOnFile(const std::string& out, int error)
{
    if (temporaryExists) unlinkat(directoryFd, temporaryName, 0);
    std::fprintf(stderr, VELLUM_PROGRAM ": cannot write %s: %s\n", Quoted(out).c_str(), std::strerror(error));
    std::exit(1);
}

// As the kernel's protected_symlinks (off on some systems) would: a link in a sticky directory
// that others may write is followed only by its owner, or where the directory's owner owns it
// too. Otherwise another user could make root write wherever the link points.
static bool FollowedSafely(const std::string& link, const struct stat& linkStatus)
{
    const std::size_t slash = link.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : link.substr(0, slash);
    struct stat parent {};
    if (stat(directory.c_str(), &parent) != 0) return true;
    const bool shared = (parent.st_mode & S_ISVTX) && (parent.st_mode & S_IWOTH);
    return !shared || linkStatus.st_uid == geteuid() || linkStatus.st_uid == parent.st_uid;
}

// libpng reports through errno and the return value here, not on stderr.
static void PngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void PngWarned(png_structp, png_const_charp) {}

// The file a path names once its symbolic links are followed, as far as they lead (a link may
// name a file yet to be made); the path itself where the links go round for too long, or a
// link may not be followed (error set).
static std::string FollowLinks(std::string path, int& error)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
        if (!FollowedSafely(path, link)) {
            error = EACCES;
            return path;
        }
        std::string target(std::size_t(link.st_size > 0 ? link.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return path;
        target.resize(std::size_t(length));
        const std::size_t slash = path.rfind('/');
        if (target[0] == '/' || slash == std::string::npos) {
            path = target;
        } else {
            path.resize(slash + 1);
            path += target;
        }
    }
    error = ELOOP;
    return path;
}

static bool WritePng(FILE* file, const std::uint8_t* bottomUpRgba)
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
        else if (arg.rfind('-', 0) != 0 && out.empty()) out = arg;
        else if (arg == "--stage") return BadArguments("--stage needs a stage");
        else if (arg == "--accumulation") return BadArguments("--accumulation takes driver or cpu");
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

    // Everything that can be known about the target is checked before the long render, as cp
    // would: a path too long, a directory, a file or directory the user may not write.
    struct stat target {};
    const bool exists = stat(out.c_str(), &target) == 0;
    const bool missing = !exists && errno == ENOENT;
    const bool direct = exists && !S_ISREG(target.st_mode) && !S_ISDIR(target.st_mode);
    struct stat named {};
    if (missing && lstat(out.c_str(), &named) == 0 && S_ISLNK(named.st_mode)) {
        std::fprintf(stderr, VELLUM_PROGRAM ": not writing through dangling symlink %s\n", Quoted(out).c_str());
        return 1;
    }
    if (exists && S_ISSOCK(target.st_mode)) FailOnFile(out, ENXIO);
    int linkError = 0;
    const std::string file = direct ? out : FollowLinks(out, linkError);
    const std::size_t slash = file.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    if (linkError) FailOnFile(out, linkError);
    if (out.size() >= PATH_MAX || file.size() >= PATH_MAX || name.size() > NAME_MAX) FailOnFile(out, ENAMETOOLONG);
    if (exists && S_ISDIR(target.st_mode)) FailOnFile(out, EISDIR);
    if (exists && access(out.c_str(), W_OK) != 0) FailOnFile(out, errno);
    if (!direct) {
        directoryFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directoryFd < 0) FailOnFile(out, errno);
        // The file is replaced through a new one beside it, so its directory must take one.
        if (faccessat(directoryFd, ".", W_OK | X_OK, 0) != 0) {
            const int error = errno;
            std::fprintf(stderr, VELLUM_PROGRAM ": cannot write %s: the directory %s: %s\n", Quoted(out).c_str(),
                         Quoted(directory).c_str(), std::strerror(error));
            return 1;
        }
    }
    CatchTerminationSignals(RemoveTemporaryAndDie);

    StartGlfw(VELLUM_PROGRAM);
    RequestFramebuffer();
    if (!accumulationBuffer)
        for (int hint : {GLFW_ACCUM_RED_BITS, GLFW_ACCUM_GREEN_BITS, GLFW_ACCUM_BLUE_BITS, GLFW_ACCUM_ALPHA_BITS})
            glfwWindowHint(hint, 0);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(ScreenWidth, ScreenHeight, VELLUM_PROGRAM, nullptr, nullptr);
    if (!window) FailWithGlfw("cannot open an OpenGL window");
    glfwMakeContextCurrent(window);
    openGl = &systemGl;
    if (timings) {
        GLint bits = 0, samples = 0, red = 0, alpha = 0;
        glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
        glGetIntegerv(GL_SAMPLES, &samples);
        glGetIntegerv(GL_RED_BITS, &red);
        glGetIntegerv(GL_ALPHA_BITS, &alpha);
        std::fprintf(stderr, "accumulation buffer: %d bits a channel; colour %d, alpha %d, samples %d\n", bits, red, alpha, samples);
    }

    if (timings) renderStageDone = PrintStageTime;
    const Clock::time_point renderStart = stageStart = Clock::now();
    RenderStill();
    const Clock::time_point frameStart = Clock::now();
    PresentFrame();
    if (timings) {
        const AccumulationAnswers& a = accumulationAnswers;
        const char* fault = AccumulationFault(a);
        std::fprintf(stderr, "accumulation check: mixes %d %d (sound: 127 or 128, 96), levels %d %d %d %d %d %d%s\n",
                     a.mix[0], a.mix[1], a.levels[0], a.levels[1], a.levels[2], a.levels[3], a.levels[4],
                     a.levels[5], a.glError ? ", OpenGL error" : "");
        std::fprintf(stderr, "passes drawn %s (%s%s)\n",
                     passesDrawnByHost ? "and averaged by the system's OpenGL" : "by Vellum's own OpenGL",
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
    glfwDestroyWindow(window);
    glfwTerminate();

    int fd = -1;
    if (direct) {
        fd = open(out.c_str(), O_WRONLY | O_CLOEXEC);
    } else {
        // A name of its own in the target's directory, made only if no file has it yet.
        for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            std::snprintf(temporaryName, sizeof temporaryName, ".vellum-%d-%u", int(getpid()), attempt);
            temporaryExists = 1;  // first, so that a signal during the open removes what it made
            fd = openat(directoryFd, temporaryName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0) temporaryExists = 0;
            if (fd < 0 && errno != EEXIST) break;
        }
    }
    if (fd < 0) FailOnFile(out, errno);
    if (!direct) {
        // A replaced file keeps its permissions and, where allowed (only root may give a file
        // away), its owner; a new one gets the usual permissions, not mkstemp's private ones.
        const mode_t mask = umask(0);
        umask(mask);
        if (exists && fchown(fd, target.st_uid, target.st_gid) != 0 && errno != EPERM) FailOnFile(out, errno);
        if (fchmod(fd, exists ? target.st_mode & 0777 : 0666 & ~mask) != 0) FailOnFile(out, errno);
    }
    FILE* png = fdopen(fd, "wb");
    if (!png) FailOnFile(out, errno);
    errno = 0;
    const bool written = WritePng(png, buffer);
    const int writeError = errno ? errno : EIO;
    if (std::fclose(png) != 0) FailOnFile(out, written ? errno : writeError);
    if (!written) FailOnFile(out, writeError);
    if (!direct && renameat(directoryFd, temporaryName, directoryFd, name.c_str()) != 0) FailOnFile(out, errno);
    return 0;
}
