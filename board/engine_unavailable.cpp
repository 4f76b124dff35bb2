// Stands in for the engine bridge in a tree built without it: every drawing
// is refused with a message saying so. Only linked when qc_board_engine is
// not part of the build.
#include "board/engine_bridge/bridge.h"

#include <stdexcept>

namespace board::engine {

Checked checkDrawing(const Bytes&, const std::string&, const Limits&) {
    Checked c;
    c.error = "this board was built without the engine, so it cannot play drawings";
    return c;
}
Bytes renderGif(const Bytes&, const Limits&, const std::function<void(double)>&) {
    throw std::runtime_error("built without the engine");
}
Bytes renderMp4(const Bytes&, const Limits&, const std::function<void(double)>&) {
    throw std::runtime_error("built without the engine");
}
Bytes makePlayer(const Bytes&) { throw std::runtime_error("built without the engine"); }
std::string scriptText(const Bytes&) { throw std::runtime_error("built without the engine"); }
int runChild(int, char**) { return 2; }

}  // namespace board::engine
