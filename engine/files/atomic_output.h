// Outputs that appear whole or not at all, for writers that stream: a
// temporary file or folder beside the target, renamed over it on commit and
// removed if the writer gives up (or is destroyed first).
#pragma once

#include <cstdio>
#include <string>

namespace tools {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile() { abandon(); }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Makes the temporary file; it keeps the target's extension, for tools
    // that go by it. "-" means standard output, which cannot be taken back.
    bool open(const std::string& path, std::string& error);
    std::FILE* stream() const { return file_; }
    // The temporary file's name, for a program that writes it by name.
    const std::string& temporaryPath() const { return temporary_; }
    // Flushes, syncs and renames into place.
    bool commit(std::string& error);
    void abandon();

private:
    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    bool toStdout_ = false;
};

class AtomicDirectory {
public:
    AtomicDirectory() = default;
    ~AtomicDirectory() { abandon(); }
    AtomicDirectory(const AtomicDirectory&) = delete;
    AtomicDirectory& operator=(const AtomicDirectory&) = delete;

    // The target may be missing or an empty folder; anything else is refused.
    bool open(const std::string& path, std::string& error);
    // Where the files go until the commit.
    const std::string& temporaryPath() const { return temporary_; }
    bool commit(std::string& error);
    void abandon();

private:
    std::string path_;
    std::string temporary_;
};

}  // namespace tools
