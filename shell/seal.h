// The seal that lets a player check at start-up that its program file is
// whole. It is a 56-bit FNV-1a digest of the entire file, taken with the
// seal's own seven bytes as zeros, stored little-endian in bytes 1 to 7 of
// the DrawingBlock (byte 0 stays the placeholder test). Every change of a
// single byte anywhere in the file, or of its length, changes the digest.
//
// These functions work on the file's bytes in memory; they read no file.
// The build seals every fresh player, and the authoring tools reseal a
// player after writing a drawing into it.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr char kDrawingSectionName[] = ".qcdraw";
constexpr std::size_t kSealOffset = 1;  // within the block
constexpr std::size_t kSealSize = 7;

// Finds the DrawingBlock in a Windows program file: the start of section
// ".qcdraw", which must hold the whole block and lie after the section
// table. False for anything else.
bool findDrawingBlockInFile(const std::uint8_t* file, std::size_t size, std::size_t& blockOffset);

// The digest of the file as a sealed file would carry it.
std::uint64_t computeSeal(const std::uint8_t* file, std::size_t size, std::size_t blockOffset);

// Writes the digest into the block. False when the file has no block.
bool writeSeal(std::uint8_t* file, std::size_t size);

// True when the file has a block and the digest in it matches the file.
bool isSealIntact(const std::uint8_t* file, std::size_t size);
