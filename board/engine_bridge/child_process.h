// Runs one piece of engine work in a child process: this same program
// started again ("/proc/self/exe __engine VERB ..."), in its own process
// group, with its input on standard input (a memory file, so no pipe can
// fill up), its answer read from a pipe, an address-space bound, and a
// wall-clock deadline after which the whole group is killed. The child dies
// with its parent (PR_SET_PDEATHSIG), so a crashed server leaves no engine
// behind.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "board/engine_bridge/bridge.h"

namespace board::engine {

struct ChildResult {
    // Why the child gave no usable answer (deadline, signal, exit status, an
    // answer that is not fields); empty when it answered.
    std::string failure;
    std::map<std::string, Bytes> fields;  // the last value of each field sent
    bool has(const std::string& name) const { return fields.count(name) != 0; }
    std::string text(const std::string& name) const;
};

// args follow "__engine" (the verb first). progress receives the child's
// "progress" fields as they arrive.
ChildResult runEngineChild(const std::vector<std::string>& args, const Bytes& input, const Limits& limits,
                           const std::function<void(double)>& progress = {});

}  // namespace board::engine
