// File helpers for the tools: whole-file reads, and writes that never leave
// a half-written file behind (a temporary file beside the target, renamed
// over it once complete).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tools {

// No input of the tools comes near this: a player is about half a megabyte,
// the script of a full block a few. Larger files, or endless ones such as
// /dev/zero, are refused instead of filling memory.
constexpr std::size_t kMaxInputBytes = std::size_t{256} << 20;

// Reads a whole file of at most kMaxInputBytes. On failure, error says why
// (with the path).
bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

// Calls write with a stream open on a temporary file beside path; renames it
// to path when write returns true and every byte reached the disk. On any
// failure the temporary file is removed, path is left as it was, and error
// says why. A path of "-" writes to standard output instead.
bool writeFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string& error);

}  // namespace tools
