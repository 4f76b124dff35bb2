// quillcast-board: the board server. See cli/commands.h for its commands; a
// hidden "__engine" command is the child process through which the board runs
// the engine.
#include "board/cli/commands.h"
#include "board/engine_bridge/bridge.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "__engine") == 0) return board::engine::runChild(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return board::cli::run(args, std::cin, std::cout, std::cerr);
}
