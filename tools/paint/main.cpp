// quillcast-paint: paints a picture as a Quillcast drawing and writes it as
// a drawing file, a script or a player. main() reads the command line and
// the files and reports; the painting lives in painter.h.
#include <chrono>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "tools/common/cli.h"
#include "tools/common/files.h"
#include "tools/paint/paint_options.h"
#include "tools/paint/paint_output.h"
#include "tools/paint/picture_fit.h"
#include "tools/paint/picture_input.h"
#include "tools/common/progress_bar.h"

namespace {

constexpr char kTool[] = "quillcast-paint";
constexpr int kExitFailed = 1;
constexpr int kExitUsage = tools::kExitUsage;

int failed(const std::string& message) { return tools::reportError(kTool, message, kExitFailed); }

}  // namespace

int main(int argc, char** argv) {
    paint::CommandLine line;
    const tools::ParseOutcome parsed = paint::parseCommandLine(argc, argv, line);
    if (!parsed.run()) return tools::finishCommandLine(kTool, parsed);

    std::string error;
    tools::Picture picture;
    if (!paint::readPicture(line.picture, picture, error)) return failed(error);
    int width = 0, height = 0;
    if (!paint::canvasSizeFor(picture.width, picture.height, line.fit, line.width, line.height, width, height, error)) {
        return tools::reportUsageError(kTool, error, kExitUsage);
    }
    std::vector<std::uint8_t> player;
    if (line.kind == paint::OutputKind::Player && !paint::loadPlayer(line.player, player, error)) return failed(error);

    const tools::Picture scaled = paint::scaleByArea(picture, width, height);
    if (!line.scaledPath.empty() &&
        !tools::writeFileAtomically(line.scaledPath, [&](std::FILE* f) { return tools::writePng(f, scaled); }, error)) {
        return failed(error);
    }

    const auto start = std::chrono::steady_clock::now();
    tools::ProgressBar bar(kTool, !line.quiet && ::isatty(STDERR_FILENO));
    std::vector<std::uint8_t> block;
    paint::PaintStats stats;
    const bool painted = paint::paintPicture(scaled, line.paint, [&bar](double share) { bar.update(share, -1); }, block,
                                             stats, error);
    bar.done();
    if (!painted) return failed(error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (!paint::writePainting(line.output, line.kind, block, player, line.picture, error)) return failed(error);
    if (line.stats) {
        std::printf("canvas=%dx%d bytes=%u strokes=%llu segments=%llu show_seconds=%.1f candidates=%llu seconds=%.2f\n",
                    width, height, stats.bytes, static_cast<unsigned long long>(stats.strokes),
                    static_cast<unsigned long long>(stats.segments), stats.showSeconds,
                    static_cast<unsigned long long>(stats.candidates), seconds);
    }
    if (!line.quiet) {
        std::fprintf(stderr, "%s: %s, %dx%d, %u bytes, %llu strokes, a show of %.0f s, painted in %.1f s\n", kTool,
                     line.output.c_str(), width, height, stats.bytes, static_cast<unsigned long long>(stats.strokes),
                     stats.showSeconds, seconds);
    }
    return 0;
}
