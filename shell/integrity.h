// The start-up integrity check: the program reads its own file and tests
// the seal in its DrawingBlock (see shell/seal.h).
#pragma once

constexpr char kCorruptionCaption[] = "quillcast";
constexpr char kCorruptionText[] =
    "This program has been corrupted!\n"
    "Visit www.quillcast.example to redownload the file.";

// True when the program file is whole. A module without a file name has
// nothing to check: that is a drawing that a native tool loaded directly.
bool isProgramIntact();
