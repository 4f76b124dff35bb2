// The sample drawings, made by code so that anyone can remake them
// byte for byte: "meadow" (300 x 400, the demo's), "quick" (160 x 120, a few
// seconds, points without pressure) and "dense" (a 400 x 400 scribble that
// fills nearly the whole block, for speed measurements). samples/NAME.qcs
// holds each one's script, written by quillcast-sample NAME --script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

std::vector<std::string> sampleNames();

// The sample's 451000-byte block; empty for an unknown name.
std::vector<std::uint8_t> makeSample(const std::string& name);

// The sample's script; empty for an unknown name.
std::string makeSampleScript(const std::string& name);

}  // namespace tools
