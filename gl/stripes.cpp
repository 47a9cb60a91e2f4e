// The queue of drawing work, and the threads that draw it. Clears, triangles (set up once, on
// the thread that takes the calls) and accumulations are queued until a pass ends; then the
// threads take the window's stripes of rows in turn and draw every queued command on each,
// while the calls of the next pass are queued (the thread that takes them joins in as it
// reaches that pass's end). A pixel is drawn by the commands that cover it in the order they
// were queued, whichever thread holds its row, so the pixels are the same for any number of
// threads.
//
// The rows are where the work divides without any thread waiting on another: every stage
// works a row at a time, and a stripe of rows is also one run of the band's pixels and of
// its sums. The stripes are balanced by the band's pixels while it is in force (most of the
// band lies in the lower half of the picture), and equal otherwise.

#include <algorithm>
#include <atomic>
#include <cstring>

#include "gl/context.h"
#include "gl/soft_gl.h"
#include "gl/threads.h"

namespace softgl {

namespace {

enum class Kind : std::uint8_t { Clear, Triangle, Accumulation, BandAccumulation };
struct Command {
    Kind kind;
    std::uint8_t paint;  // a triangle's, in `paints`
    std::uint32_t word;  // a clear's colour
    Box box;             // a clear's or an accumulation's pixels
    Triangle triangle;
};

// A pass of the picture queues some 600 triangles and a handful of paints.
constexpr int QueueCapacity = 1024, PaintCapacity = 32;
struct Batch {
    Command commands[QueueCapacity];
    Paint paints[PaintCapacity];
    int count, paintCount;
};
// Two batches: one being queued while the threads draw the other.
Batch batches[2];
Batch* queuing = &batches[0];
const Batch* drawing;  // null when the threads have nothing to draw
// The colour and blend of the last paint made.
std::uint8_t paintColour[4];
BlendKind paintKind;

// The threads share the stripes out as they go, a few each, so that one slowed by other work
// on its processor leaves more to the others.
constexpr int StripesPerThread = 4;
int threadsWanted;  // 0: as many as the processor has, up to MaxThreads
int threads;
Stripe stripes[StripesPerThread * MaxThreads];
int stripeCount;
std::atomic<int> nextStripe;

// What the rows below `row` take to draw while the band is in force: their band pixels, and
// for each row a share for finding the runs of the triangles that cross it.
std::uint64_t Weight(const Band& band, int row) { return band.before[row][0] + std::uint64_t(row) * (ScreenWidth / 32); }

// Every command of a batch on one stripe's rows.
void DrawStripe(const Batch& batch, Stripe stripe)
{
    Framebuffer& framebuffer = context.framebuffer;
    for (int i = 0; i < batch.count; ++i) {
        const Command& command = batch.commands[i];
        switch (command.kind) {
        case Kind::Clear: {
            const Box box = command.box;
            const std::uint32_t word = command.word;
            for (int row = std::max(box.y0, stripe.y0); row < std::min(box.y1, stripe.y1); ++row) {
                const Run run = RowRun(framebuffer, row, box.x0, box.x1 - 1);
                std::fill_n(run.words, run.count, word);
            }
            break;
        }
        case Kind::Triangle: Fill(command.triangle, batch.paints[command.paint], stripe, framebuffer); break;
        case Kind::Accumulation: Accumulate(framebuffer, command.box, stripe); break;
        case Kind::BandAccumulation: AccumulateBand(framebuffer.band, stripe); break;
        }
    }
}

// A thread's part: stripes of the batch being drawn, as long as some are left.
void DrawStripes(int)
{
    for (int stripe; (stripe = nextStripe.fetch_add(1, std::memory_order_relaxed)) < stripeCount;)
        DrawStripe(*drawing, stripes[stripe]);
}

// Waits for the batch the threads are drawing, this thread drawing stripes of it too.
void Drain()
{
    if (!drawing) return;
    FinishParts();
    drawing = nullptr;
}

Command& Queued()
{
    if (queuing->count == QueueCapacity) Submit();
    return queuing->commands[queuing->count++];
}

}  // namespace

void QueueClear(Box box, std::uint32_t word)
{
    if (box.x0 >= box.x1 || box.y0 >= box.y1) return;
    Command& command = Queued();
    command.kind = Kind::Clear;
    command.box = box;
    command.word = word;
}

// A triangle of window positions is set up once, in its place in the queue, over the pixels
// that may be drawn; it takes the current colour and blend as a paint, made once for the
// triangles that share them.
void QueueTriangle(Fixed a, Fixed b, Fixed c, Box box)
{
    const BlendKind kind = Blend(context.blending, context.sourceFactor, context.destinationFactor);
    const bool newPaint = queuing->paintCount == 0 || kind != paintKind || std::memcmp(paintColour, context.current, 4) != 0;
    if (queuing->count == QueueCapacity || (newPaint && queuing->paintCount == PaintCapacity)) Submit();
    Command& command = queuing->commands[queuing->count];
    if (!SetUpTriangle(a, b, c, box, &command.triangle)) return;
    if (newPaint || queuing->paintCount == 0) {
        MakePaint(context.current, kind, &queuing->paints[queuing->paintCount++]);
        std::memcpy(paintColour, context.current, 4);
        paintKind = kind;
    }
    command.kind = Kind::Triangle;
    command.paint = std::uint8_t(queuing->paintCount - 1);
    ++queuing->count;
}

void QueueAccumulation(Box box, bool band)
{
    Command& command = Queued();
    command.kind = band ? Kind::BandAccumulation : Kind::Accumulation;
    command.box = box;
}

// The queued batch to the threads, once they have drawn the one before; the calls go on into
// the other batch meanwhile.
void Submit()
{
    Drain();
    if (queuing->count == 0) return;
    if (stripeCount == 0) SplitIntoStripes();
    drawing = queuing;
    queuing = queuing == &batches[0] ? &batches[1] : &batches[0];
    queuing->count = queuing->paintCount = 0;
    nextStripe.store(0, std::memory_order_relaxed);
    StartParts(threads, DrawStripes);
}

void Finish()
{
    Submit();
    Drain();
}

// With nothing queued: the queue is drawn on the stripes it was queued for.
void SplitIntoStripes()
{
    threads = std::clamp(threadsWanted > 0 ? threadsWanted : ProcessorCount(), 1, MaxThreads);
    const int count = threads == 1 ? 1 : StripesPerThread * threads;
    const Band& band = context.framebuffer.band;
    int row = 0;
    for (int i = 0; i < count; ++i) {
        stripes[i].y0 = row;
        if (i == count - 1) row = ScreenHeight;
        else if (!band.only) row = ScreenHeight * (i + 1) / count;
        else
            while (row < ScreenHeight && Weight(band, row) < Weight(band, ScreenHeight) * (i + 1) / count) ++row;
        stripes[i].y1 = row;
    }
    stripeCount = std::max(count, 1);
}

}  // namespace softgl

int SoftGlThreads()
{
    if (softgl::stripeCount == 0) softgl::SplitIntoStripes();
    return softgl::threads;
}

void SoftGlUseThreads(int count)
{
    softgl::Finish();
    softgl::threadsWanted = std::max(count, 0);
    softgl::SplitIntoStripes();
}
