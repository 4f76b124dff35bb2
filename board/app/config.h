// The board's settings, from the command line (quillcast-board serve --help).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace board::app {

struct Config {
    std::string dataDir = "board-data";
    std::string database;          // "sqlite:DIR" or "postgresql://..."; default: sqlite:dataDir
    std::string host = "127.0.0.1";
    int port = 8080;               // 0: any free port (printed when ready)
    std::string publicUrl;         // "https://board.example"; default: http://HOST:PORT
    std::string siteDir = "build-web/site";
    int workers = 1;
    bool trustProxy = false;       // take the client's address from X-Forwarded-For (behind nginx)

    // Rate limits per address: a bucket of this many, refilled over an hour.
    double postsPerHour = 30;
    double commentsPerHour = 120;
    double loginsPerHour = 20;

    std::size_t uploadBytes = 4u << 20;  // a posted drawing or player
    std::size_t formBytes = 64u << 10;   // comments and other forms
    double checkSeconds = 20;            // the work bound of playing a posted drawing
    std::size_t checkMemoryBytes = std::size_t{1} << 30;
    double timelapseSeconds = 60;        // the deadline of a time-lapse child
    std::int64_t jobLeaseMs = 120000;
    int jobAttempts = 3;
    std::int64_t jobBackoffMs = 5000;
    std::int64_t jobPollMs = 500;        // an idle worker looks for leases run out and retries due
    std::size_t threads = 64;
};

}  // namespace board::app
