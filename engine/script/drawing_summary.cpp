#include "engine/script/drawing_summary.h"

namespace script {

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

}  // namespace script
