// The real programs on the test X server: the capture tool's command line and files, and each
// deliverable showing exactly the captured frame until Escape.

#include "harness.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace harness;

// The host code is the same at both sizes: these run at 1280 x 720, while the display tests
// show the 1920 x 1080 frame too, and the CPU OpenGL's tests render it.
const Build build720{"720", 1280, 720};

TEST(Programs, CaptureRejectsBadArguments)
{
    const std::string capture = Program(std::string("vellum-capture-") + build720.suffix);
    const fs::path errors = Scratch() / "usage.txt";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {capture},
             {capture, "a.png", "--stage", "everything"},
             {capture, "a.png", "--stage"},
             {capture, "a.png", "--threads", "0"},
             {capture, "a.png", "--threads", "16"},
             {capture, "a.png", "b.png"},
             {capture, "--fast", "a.png"},
             {capture, "", "a.png"},
             {capture, "-"}}) {
        EXPECT_TRUE(Exited(RunProgram(args, errors), 2)) << args.size();
        EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
        EXPECT_NE(ReadFile(errors).find("--help' lists the options"), std::string::npos) << ReadFile(errors);
    }
    EXPECT_FALSE(fs::exists("a.png"));
    EXPECT_NE(ReadFile(errors).find("./-"), std::string::npos) << ReadFile(errors);
    const fs::path help = Scratch() / "help.txt";
    EXPECT_TRUE(Exited(RunProgram({"/bin/sh", "-c", "exec \"$0\" --help >\"$1\"", capture, help.string()}, errors), 0));
    EXPECT_EQ(ReadFile(help).rfind("usage: ", 0), 0u) << ReadFile(help);
}

// The screen saver's hack: one line and status 2 for an option it does not know, a window that
// is no number, or a saver's variable that names none.
TEST(Programs, ScreensaverRejectsBadArguments)
{
    const fs::path errors = Scratch() / "saver-usage.txt";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--fast"}, {"-window-id"}, {"-window-id", "window"}, {"--window-id", "-3"}, {"XSCREENSAVER_WINDOW=0x"}}) {
        std::vector<std::string> command = {"/usr/bin/env"};
        if (args[0].find('=') == std::string::npos) command.push_back(Program("vellum-screensaver"));
        command.insert(command.end(), args.begin(), args.end());
        if (args[0].find('=') != std::string::npos) command.push_back(Program("vellum-screensaver"));
        EXPECT_TRUE(Exited(RunProgram(command, errors), 2)) << args[0];
        EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    }
}

TEST(Programs, CaptureLeavesNoFileWhereItCannotWrite)
{
    const std::string capture = Program(std::string("vellum-capture-") + build720.suffix);
    const fs::path errors = Scratch() / "unwritable.txt";
    EXPECT_TRUE(Exited(RunProgram({capture, "/nonexistent-dir/out.png"}, errors), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    EXPECT_NE(ReadFile(errors).find("/nonexistent-dir/out.png"), std::string::npos);

    // A directory in the way fails before the render: even without a display to render on.
    const fs::path dir = Scratch() / "occupied";
    fs::create_directories(dir / "inside");
    EXPECT_TRUE(Exited(RunProgram({capture, dir.string(), "--stage", "render"}, errors, false), 1));
    EXPECT_EQ(ReadFile(errors), "vellum-capture-" + std::string(build720.suffix) + ": cannot write '" +
                                    dir.string() + "': Is a directory\n");
    // What passes every check on the path (as root, /proc/version may be written) is still
    // found before the render: the file that will replace it cannot be made.
    EXPECT_TRUE(Exited(RunProgram({capture, "/proc/version"}, errors, false), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    EXPECT_NE(ReadFile(errors).find("'/proc/version'"), std::string::npos) << ReadFile(errors);
}

// A signal at any time, by default action too (SIGUSR1), leaves no temporary file: it exists
// from before the render until it replaces the target.
TEST(Programs, CaptureEndedBySignalLeavesNoTemporaryFile)
{
    const fs::path folder = Scratch() / "signalled";
    fs::create_directory(folder);
    const pid_t pid = Start({Program("vellum-capture-720"), (folder / "out.png").string()}, Scratch() / "signalled.txt");
    bool made = false;
    for (int tries = 0; tries < 3000 && !made; ++tries) {
        for (const auto& entry : fs::directory_iterator(folder)) made = made || entry.path().filename().string().rfind(".vellum-", 0) == 0;
        if (!made) std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(made) << "no temporary file was made";
    kill(pid, SIGUSR1);
    const int status = Wait(pid, 60s);
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGUSR1);
    EXPECT_TRUE(fs::is_empty(folder)) << "a file was left behind";
}

// Each stage's PNG is that buffer, top row first, and the stages fit together: the composite
// is the render under the mask, the frame the composite screened with the grain.
TEST(CaptureStages, WriteTheBuffersTopRowFirst)
{
    const fs::path errors = Scratch() / "stages.txt";
    std::map<std::string, Image> stage;
    for (const char* name : {"render", "composite", "grain", "vignette", "frame"}) {
        const fs::path png = Scratch() / (std::string(name) + ".png");
        ASSERT_TRUE(Exited(RunProgram({Program("vellum-capture-720"), png.string(), "--stage", name}, errors), 0))
            << ReadFile(errors);
        ASSERT_TRUE(ReadPng(png, stage[name]));
        ASSERT_EQ(stage[name].width, 1280);
        ASSERT_EQ(stage[name].height, 720);
    }
    // Memory starts at the bottom-left pixel: the first grain pixel, and the mask's corner
    // (-640, 360); the mask's centre is memory row 360, which is PNG row 359.
    EXPECT_EQ((std::vector<int>(stage["grain"].At(0, 719), stage["grain"].At(0, 719) + 4)),
              (std::vector<int>{0, 0, 20, 255}));
    EXPECT_EQ(stage["vignette"].At(640, 359)[0], 255);
    EXPECT_EQ(stage["vignette"].At(0, 719)[0], 61);  // (-640, 360), the first memory row
    for (std::size_t i = 0; i < stage["render"].rgba.size(); ++i) {
        const int a = stage["render"].rgba[i], c = stage["vignette"].rgba[i], g = stage["grain"].rgba[i];
        if (i % 4 == 3) {
            ASSERT_EQ(stage["composite"].rgba[i], 255);
            continue;
        }
        const int composite = a * (255 * a + 2 * c * (255 - a)) / 65025;
        ASSERT_EQ(stage["composite"].rgba[i], composite) << "byte " << i;
        ASSERT_NEAR(stage["frame"].rgba[i], g + composite * (1 - g / 255.0), 1.0) << "byte " << i;
    }
}

// The render is the one picture whichever OpenGL draws the passes. Vellum's own draws the pinned
// render to the bit, on any rasteriser: forced, without an accumulation buffer, wherever the
// start-up check rejects the system's (Mesa's averages in linear light by default, and without
// sRGB still truncates each pass's term), and on softpipe, whose edges fall elsewhere than
// llvmpipe's. Where the check accepts the system's accumulation buffer, its average is the
// pinned one, or differs from it only as another rasteriser's edges do (picture_check says
// which); forced where the check rejects it, the test says what it drew.
TEST(Programs, RendersTheOneAverageOnEveryPath)
{
    const Build build = build720;
    const fs::path errors = Scratch() / "average.txt", png = Scratch() / "average.png";
    const std::string capture = Program(std::string("vellum-capture-") + build.suffix);
    const std::string pinned = harness::PinnedHash(std::string("render-") + build.suffix);
    Image pinnedRender;
    auto renderWith = [&](const std::vector<std::string>& options, Image& render) {
        std::vector<std::string> args = {capture, png.string(), "--stage", "render", "--timings"};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_TRUE(Exited(RunProgram(args, errors), 0)) << ReadFile(errors);
        EXPECT_NE(ReadFile(errors).find("accumulation check: "), std::string::npos) << ReadFile(errors);
        EXPECT_TRUE(ReadPng(png, render));
        return ReadFile(errors);
    };
    auto expectPinnedOrNear = [&](const std::string& timings, const Image& render, const std::string& what) {
        if (timings.find("passes drawn by Vellum's own OpenGL") != std::string::npos)
            EXPECT_EQ(harness::Sha256(render.rgba.data(), render.rgba.size()), pinned) << what;
        else
            EXPECT_TRUE(DrawnAsPinned(png, "render", build)) << what << ": " << timings;
    };
    Image other;
    const std::string forced = renderWith({"--accumulation", "cpu", "--threads", "3"}, pinnedRender);
    EXPECT_EQ(harness::Sha256(pinnedRender.rgba.data(), pinnedRender.rgba.size()), pinned) << "Vellum's own OpenGL, forced";
    EXPECT_NE(forced.find("passes drawn by Vellum's own OpenGL on 3 threads (chosen;"), std::string::npos) << forced;
    const std::string without = renderWith({"--no-accumulation-buffer"}, other);
    // Drawn where the driver must keep the pixels.
    EXPECT_NE(without.find("drawn in an off-screen pbuffer; accumulation buffer: 0 bits"), std::string::npos) << without;
    EXPECT_NE(without.find("passes drawn by Vellum's own OpenGL"), std::string::npos) << without;
    expectPinnedOrNear(without, other, "without an accumulation buffer");
    expectPinnedOrNear(renderWith({}, other), other, "checked");

    const std::string timings = renderWith({"--accumulation", "driver"}, other);
    // The system's accumulation buffer, forced: the passes are drawn there, and where the check
    // finds it sound, the render is the pinned one or differs only along edges.
    EXPECT_NE(timings.find("passes drawn and averaged by the system's OpenGL (chosen;"), std::string::npos) << timings;
    if (timings.find("(chosen; the check finds the accumulation buffer is sound)") != std::string::npos) {
        EXPECT_TRUE(DrawnAsPinned(png, "render", build)) << timings;
    }

    // Mesa without sRGB framebuffers: the check must still refuse truncating passes.
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_sRGB", 1);
    const std::string withoutSrgb = renderWith({}, other);
    unsetenv("MESA_EXTENSION_OVERRIDE");
    expectPinnedOrNear(withoutSrgb, other, "Mesa without sRGB");
    // Mesa's other software rasteriser places edges differently from llvmpipe: the passes are
    // Vellum's own, so the render is still the pinned one.
    setenv("GALLIUM_DRIVER", "softpipe", 1);
    const std::string softpipe = renderWith({}, other);
    unsetenv("GALLIUM_DRIVER");
    expectPinnedOrNear(softpipe, other, "softpipe");
}

TEST(Programs, WithoutAnXServerSayOneLineAndFail)
{
    const fs::path errors = Scratch() / "nodisplay.txt";
    for (const std::string name : {"vellum-", "vellum-capture-"}) {
        const std::string program = Program(name + build720.suffix);
        const fs::path out = Scratch() / "nodisplay.png";
        EXPECT_TRUE(Exited(RunProgram({program, out.string()}, errors, false), 1)) << name;
        EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
        EXPECT_FALSE(fs::exists(out));
    }
    // A display's name with a terminal's escapes in it reaches the terminal escaped.
    const fs::path out = Scratch() / "escaped.png";
    EXPECT_TRUE(Exited(RunProgram({"/usr/bin/env", "DISPLAY=\033[31m:\233", Program("vellum-capture-720"), out.string()}, errors), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    EXPECT_EQ(ReadFile(errors).find_first_of("\033\233"), std::string::npos) << ReadFile(errors);
    for (const auto& entry : fs::directory_iterator(Scratch()))  // no temporary file left behind
        EXPECT_EQ(entry.path().filename().string().find(".vellum-"), std::string::npos) << entry.path();
}

TEST(Programs, ShowsTheCapturedFrameUntilEscape)
{
    const Build build = build720;
    const fs::path errors = Scratch() / "show.txt";
    const Image& frame = CapturedFrame(build);
    Display* display = OpenDisplay();
    ASSERT_NE(display, nullptr);
    const pid_t pid = Start({Program(std::string("vellum-") + build.suffix)}, errors);
    const bool shown = WaitForScreen(display, pid, frame);
    EXPECT_TRUE(shown) << "the screen never showed the captured frame";
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(SameColours(Screenshot(display, build.width, build.height), frame)) << "the frame changed";

    XTestFakeMotionEvent(display, -1, 10, 10, 0);
    PressKey(display, XK_Escape);
    EXPECT_TRUE(Exited(Wait(pid, 60s), 0));
    EXPECT_EQ(ReadFile(errors), "");
    XCloseDisplay(display);
}

// In a framebuffer larger than the picture (here 1.5 times, as Xwayland gives vellum-720 on a
// 1920 x 1080 output) the frame fills it, scaled: each pixel of the screen is the frame's pixel
// under its centre, or (for another OpenGL's rounding of the zoom) one beside it, within the
// one level by which a zoomed blend may round differently.
TEST(ScaledFramebuffer, TheFrameFillsItScaled)
{
    const Build build{"720", 1280, 720};
    const Image& frame = CapturedFrame(build);
    Display* display = OpenDisplay();
    ASSERT_NE(display, nullptr);
    const fs::path errors = Scratch() / "scaled.txt";
    setenv("LD_PRELOAD", VELLUM_WINDOW_SCALER, 1);
    setenv("VELLUM_WINDOW_SCALE", "1.5", 1);
    const pid_t pid = Start({Program("vellum-720")}, errors);
    unsetenv("LD_PRELOAD");
    unsetenv("VELLUM_WINDOW_SCALE");
    const bool filled = WaitForZoomed(display, pid, frame, 1920, 1080, 1.5);
    EXPECT_TRUE(filled) << "the screen never showed the frame scaled to 1920 x 1080; " << ReadFile(errors);
    PressKey(display, XK_Escape);
    EXPECT_TRUE(Exited(Wait(pid, 60s), 0)) << ReadFile(errors);
    XCloseDisplay(display);
}

// The output file end to end (its cases are tested with a few bytes in output_file_test): a
// full device fails with one line, and a replaced file keeps its mode and gets the pinned
// frame, with no line of a closed stderr inside it.
TEST(CaptureTargets, AFullDeviceFailsAndAReplacedFileKeepsItsMode)
{
    const std::string capture = Program("vellum-capture-720");
    const fs::path errors = Scratch() / "targets.txt";
    const Image& frame = CapturedFrame(build720);

    EXPECT_TRUE(Exited(RunProgram({capture, "/dev/full"}, errors), 1));
    EXPECT_EQ(ReadFile(errors), "vellum-capture-720: cannot write '/dev/full': No space left on device\n");

    const fs::path kept = Scratch() / "kept.png";
    std::ofstream(kept) << "old";
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(Exited(RunProgram({"/bin/sh", "-c", "exec \"$0\" \"$1\" --timings 2>&-", capture, kept.string()}, errors), 0));
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Image image;
    EXPECT_TRUE(ReadPng(kept, image) && image.rgba == frame.rgba) << kept;
}

// Targets cp refuses are refused before the render, so these need no display: a file the user
// may not write (read-only, or another user's), a path too long for the system; and a version
// that cannot be written is a failure.
TEST(CaptureTargets, RefuseWhatCpRefuses)
{
    const std::string capture = Program("vellum-capture-720");
    const fs::path errors = Scratch() / "cp.txt";
    const std::string tooLong = (Scratch() / std::string(5000, 'x')).string();
    EXPECT_TRUE(Exited(RunProgram({capture, tooLong}, errors, false), 1));
    EXPECT_NE(ReadFile(errors).find(": File name too long\n"), std::string::npos) << ReadFile(errors);
    EXPECT_EQ(Lines(ReadFile(errors)), 1);

    EXPECT_TRUE(Exited(RunProgram({"/bin/sh", "-c", "exec \"$0\" --version >/dev/full", capture}, errors), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);

    // As another user (nobody, where the test runs as root): a read-only file of that user's,
    // and a file of root's in that user's own directory.
    const bool root = geteuid() == 0;
    const fs::path home = Scratch() / "home";
    fs::create_directory(home);
    const fs::path readOnly = home / "read-only.png", roots = home / "roots.png";
    std::ofstream(readOnly) << "old";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::vector<std::string> as;
    if (root) {
        // The scratch folder is root's alone; nobody must reach the files to be refused them.
        fs::permissions(Scratch(), fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
        std::ofstream(roots) << "root's";
        ASSERT_EQ(chown(home.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(readOnly.c_str(), 65534, 65534), 0);
        as = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    for (const fs::path& refused : root ? std::vector{readOnly, roots} : std::vector{readOnly}) {
        std::vector<std::string> args = as;
        args.insert(args.end(), {capture, refused.string()});
        EXPECT_TRUE(Exited(RunProgram(args, errors, false), 1)) << refused;
        EXPECT_NE(ReadFile(errors).find(": Permission denied\n"), std::string::npos) << refused << ": " << ReadFile(errors);
        EXPECT_TRUE(fs::file_size(refused) < 10) << refused << " was replaced";
    }
    if (!root) {
        EXPECT_FALSE(RequireAll()) << "another user's file needs root to make one (VELLUM_REQUIRE_ALL=1 allows no skip)";
        std::printf("SKIPPED: the case of another user's file needs root to make one\n");
    }

    // Refused at once, each in one line: a dangling link (cp will not write through one), a
    // socket, and a name holding a newline, quoted as cp quotes it.
    const fs::path dangling = Scratch() / "dangling.png";
    fs::create_symlink("made-by-nobody.png", dangling);
    EXPECT_TRUE(Exited(RunProgram({capture, dangling.string()}, errors, false), 1));
    EXPECT_EQ(ReadFile(errors), "vellum-capture-720: not writing through dangling symlink '" + dangling.string() + "'\n");
    EXPECT_FALSE(fs::exists(Scratch() / "made-by-nobody.png"));
    const fs::path socketPath = Scratch() / "socket";
    const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_TRUE(Exited(RunProgram({capture, socketPath.string()}, errors, false), 1));
    EXPECT_EQ(ReadFile(errors), "vellum-capture-720: cannot write '" + socketPath.string() + "': No such device or address\n");
    close(listening);
    EXPECT_TRUE(Exited(RunProgram({capture, (Scratch() / "no-dir" / "a\nb.png").string()}, errors, false), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    EXPECT_NE(ReadFile(errors).find("'$'\\012''b.png'"), std::string::npos) << ReadFile(errors);
    if (!root) return;

    // As nobody: its own file in a directory it may not write is refused with the directory
    // named, since the file is replaced through a new one beside it. As root: nobody's link in
    // a sticky directory that anyone may write is not followed, as protected_symlinks would not.
    const fs::path shared = Scratch() / "shared";
    fs::create_directory(shared);
    std::ofstream(shared / "mine.png") << "nobody's";
    ASSERT_EQ(chown((shared / "mine.png").c_str(), 65534, 65534), 0);
    std::vector<std::string> args = as;
    args.insert(args.end(), {capture, (shared / "mine.png").string()});
    EXPECT_TRUE(Exited(RunProgram(args, errors, false), 1));
    EXPECT_EQ(ReadFile(errors), "vellum-capture-720: cannot write '" + (shared / "mine.png").string() + "': the directory '" +
                                    shared.string() + "': Permission denied\n");
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    std::ofstream(home / "roots-secret.png") << "root's";
    fs::create_symlink(home / "roots-secret.png", shared / "planted.png");
    ASSERT_EQ(lchown((shared / "planted.png").c_str(), 65534, 65534), 0);
    EXPECT_TRUE(Exited(RunProgram({capture, (shared / "planted.png").string()}, errors, false), 1));
    EXPECT_NE(ReadFile(errors).find("planted.png': Permission denied\n"), std::string::npos) << ReadFile(errors);
    EXPECT_LT(fs::file_size(home / "roots-secret.png"), 10u) << "written through another user's link";
}

// Waits until the program has set its signal handlers (its SIGTERM is caught): from then on a
// signal meets the program's own choices, not those it inherited.
bool HandlersSet(pid_t pid)
{
    for (int tries = 0; tries < 6000; ++tries) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("SigCgt:", 0) == 0 && (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1) & 1)) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// Signals ignored at start, as under nohup, stay ignored: SIGHUP ends neither program. (A
// SIGHUP still pending when the SIGTERM comes would be taken first, so vellum-720's status
// says which ended it.)
TEST(IgnoredSignals, StayIgnored)
{
    const fs::path errors = Scratch() / "nohup.txt", png = Scratch() / "nohup.png";
    const pid_t capture = Start({"/usr/bin/nohup", Program("vellum-capture-720"), png.string()}, errors);
    const pid_t shown = Start({"/usr/bin/nohup", Program("vellum-720")}, Scratch() / "nohup-720.txt");
    ASSERT_TRUE(HandlersSet(capture));
    ASSERT_TRUE(HandlersSet(shown));
    kill(capture, SIGHUP);
    kill(shown, SIGHUP);
    EXPECT_TRUE(Exited(Wait(capture), 0)) << ReadFile(errors);
    EXPECT_TRUE(fs::exists(png));
    kill(shown, SIGTERM);
    const int status = Wait(shown, 60s);
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "SIGHUP ended vellum-720";
}

// Signals a launcher blocked are unblocked: SIGTERM still ends vellum-720.
TEST(IgnoredSignals, BlockedOnesAreUnblocked)
{
    sigset_t term, previous;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &previous);
    const pid_t shown = Start({Program("vellum-720")}, Scratch() / "blocked.txt");
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    ASSERT_TRUE(HandlersSet(shown));
    kill(shown, SIGTERM);
    const int status = Wait(shown, 60s);
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "SIGTERM did not end it";
}

// vellum-720.exe under Wine on a screen whose mode cannot change (Xvfb at 1920 x 1080): the
// picture in the top-left corner, undisturbed by other keys and clicks, until Escape.
TEST(Windows, Vellum720WhereTheModeCannotChange)
{
    if (const char* why = WhyNoWindowsPrograms()) VELLUM_SKIP(why);
    const WineTurn turn;
    Display* display = OpenDisplay();
    ASSERT_NE(display, nullptr);
    const Image& frame = CapturedFrame({"720", 1280, 720});
    const fs::path errors = Scratch() / "wine-xvfb.txt";
    const pid_t pid = StartUnderWine("vellum-720.exe", errors);
    ASSERT_TRUE(WaitForScreen(display, pid, frame)) << ReadFile(errors);
    XTestFakeMotionEvent(display, -1, 300, 200, 0);
    for (KeySym key : {XK_a, XK_space, XK_Return, XK_BackSpace, XK_Delete, XK_Tab}) PressKey(display, key);
    for (int button : {1, 3}) {
        XTestFakeButtonEvent(display, button, True, 0);
        XTestFakeButtonEvent(display, button, False, 0);
    }
    XSync(display, False);
    std::this_thread::sleep_for(2s);
    int status;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "it ended without Escape";
    EXPECT_TRUE(SameColours(Screenshot(display, 1280, 720), frame)) << "keys or clicks changed the picture";
    PressKey(display, XK_Escape);
    EXPECT_TRUE(Exited(Wait(pid, 60s), 0));
    XCloseDisplay(display);
}

}  // namespace
