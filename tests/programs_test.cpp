// The real programs on the test X server: the capture tool's command line and files, and each
// deliverable showing exactly the captured frame until Escape.

#include "harness.h"

namespace {

using namespace harness;

class Programs : public ::testing::TestWithParam<Build> {};

TEST_P(Programs, CaptureRejectsBadArguments)
{
    const std::string capture = Program(std::string("vellum-capture-") + GetParam().suffix);
    const fs::path errors = Scratch() / "usage.txt";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {capture},
             {capture, "a.png", "--stage", "everything"},
             {capture, "a.png", "--stage"},
             {capture, "a.png", "b.png"},
             {capture, "--fast", "a.png"}}) {
        EXPECT_TRUE(Exited(RunProgram(args, errors), 2)) << args.size();
        EXPECT_NE(ReadFile(errors).find("usage:"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists("a.png"));
}

TEST_P(Programs, CaptureLeavesNoFileWhereItCannotWrite)
{
    const std::string capture = Program(std::string("vellum-capture-") + GetParam().suffix);
    const fs::path errors = Scratch() / "unwritable.txt";
    EXPECT_TRUE(Exited(RunProgram({capture, "/nonexistent-dir/out.png"}, errors), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    EXPECT_NE(ReadFile(errors).find("/nonexistent-dir/out.png"), std::string::npos);

    // A directory in the way: the render runs, the rename fails, the temporary file goes.
    const fs::path dir = Scratch() / "occupied";
    fs::create_directories(dir / "inside");
    EXPECT_TRUE(Exited(RunProgram({capture, dir.string(), "--stage", "render"}, errors), 1));
    EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
    for (const auto& entry : fs::directory_iterator(Scratch()))
        EXPECT_EQ(entry.path().string().find("occupied."), std::string::npos) << entry.path();
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

// Without an accumulation buffer the passes are averaged on the CPU (the GL tests hold that
// average to OpenGL's definition bit for bit). Against this machine's accumulation buffer
// the two agree within 2 wherever the passes agree; along edges they part, because Mesa's
// accumulation buffer decodes and re-encodes sRGB around each operation, so it averages in
// linear light (a 100:155 mix of 255 and 125 returns 190, not 176).
TEST_P(Programs, AveragesThePassesWithoutAnAccumulationBuffer)
{
    const Build build = GetParam();
    const fs::path errors = Scratch() / "fallback.txt";
    Image render[2];
    for (int k = 0; k < 2; ++k) {
        const fs::path png = Scratch() / ("render" + std::to_string(k) + ".png");
        std::vector<std::string> args = {Program(std::string("vellum-capture-") + build.suffix), png.string(),
                                         "--stage", "render", "--timings"};
        if (k == 1) args.push_back("--no-accumulation-buffer");
        ASSERT_TRUE(Exited(RunProgram(args, errors), 0)) << ReadFile(errors);
        const std::string bits = k == 0 ? "accumulation buffer: 16 bits" : "accumulation buffer: 0 bits";
        ASSERT_NE(ReadFile(errors).find(bits), std::string::npos) << ReadFile(errors);
        ASSERT_TRUE(ReadPng(png, render[k]));
    }
    const Image& accumulated = render[0];
    const Image& averaged = render[1];
    long flat = 0, worstFlat = 0;
    for (int y = 1; y + 1 < build.height; ++y)
        for (int x = 1; x + 1 < build.width; ++x) {
            bool uniform = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    uniform = uniform && std::equal(accumulated.At(x, y), accumulated.At(x, y) + 3,
                                                    accumulated.At(x + dx, y + dy));
            if (!uniform) continue;
            ++flat;
            for (int k = 0; k < 3; ++k)
                worstFlat = std::max(worstFlat, long(std::abs(averaged.At(x, y)[k] - accumulated.At(x, y)[k])));
        }
    EXPECT_LE(worstFlat, 2);
    EXPECT_GT(double(flat) / (build.width * build.height), 0.9);
}

TEST_P(Programs, WithoutAnXServerSayOneLineAndFail)
{
    const fs::path errors = Scratch() / "nodisplay.txt";
    for (const std::string name : {"vellum-", "vellum-capture-"}) {
        const std::string program = Program(name + GetParam().suffix);
        const fs::path out = Scratch() / "nodisplay.png";
        EXPECT_TRUE(Exited(RunProgram({program, out.string()}, errors, false), 1)) << name;
        EXPECT_EQ(Lines(ReadFile(errors)), 1) << ReadFile(errors);
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_P(Programs, ShowsTheCapturedFrameUntilEscape)
{
    const Build build = GetParam();
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

TEST_P(Programs, TerminationSignalsEndItAsTheSignalWould)
{
    const Build build = GetParam();
    const fs::path errors = Scratch() / "signal.txt";
    const Image& frame = CapturedFrame(build);
    Display* display = OpenDisplay();
    ASSERT_NE(display, nullptr);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t pid = Start({Program(std::string("vellum-") + build.suffix)}, errors);
        ASSERT_TRUE(WaitForScreen(display, pid, frame));
        kill(pid, signal);
        const int status = Wait(pid, 60s);
        EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(ReadFile(errors), "");
    }
    XCloseDisplay(display);
}

INSTANTIATE_TEST_SUITE_P(Builds, Programs, ::testing::Values(Build{"720", 1280, 720}, Build{"1080", 1920, 1080}),
                         [](const auto& info) { return std::string("vellum_") + info.param.suffix; });

}  // namespace
