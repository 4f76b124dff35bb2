#include "tools/script/drawing_summary.h"

#include "shell/timing.h"

namespace script {

namespace {
constexpr double kFirstTickSeconds = kFirstTickDelay / 1000.0;
// The splash waits for the whole-second clock to move on that many times.
constexpr double kSplashFromSeconds = kOpeningSeconds - 1;
constexpr double kSplashToSeconds = kOpeningSeconds;
constexpr double kPerStrokeSeconds = kTickInterval / 1000.0;
// What the native emulation charges for the stroke loop's look at the queue.
constexpr double kPerSegmentSeconds = 0.001;
}  // namespace

DrawingSummary summarize(const format::Drawing& drawing) {
    DrawingSummary s;
    s.present = !format::isPlaceholder(drawing);
    s.pressure = format::carriesPressure(drawing);
    s.width = format::headerWidth(drawing);
    s.height = format::headerHeight(drawing);
    s.usedBytes = format::firstRecordOffset(drawing);
    for (const format::Record& r : drawing.records) {
        ++s.records;
        s.usedBytes += format::recordSize(r);
        if (r.kind == format::RecordKind::Unknown) ++s.unknownRecords;
        if (r.kind != format::RecordKind::Stroke) continue;
        ++s.strokes;
        if (r.count >= 2) s.segments += static_cast<std::uint64_t>(r.count) - 1;
    }
    s.usedBytes += drawing.tail.size();
    s.cut = !drawing.tail.empty();
    return s;
}

PlayTime estimatePlayTime(const DrawingSummary& s) {
    if (!s.present) return {};
    const double drawing = static_cast<double>(s.strokes) * kPerStrokeSeconds +
                           static_cast<double>(s.segments) * kPerSegmentSeconds;
    return {kFirstTickSeconds + kSplashFromSeconds + drawing, kFirstTickSeconds + kSplashToSeconds + drawing};
}

}  // namespace script
