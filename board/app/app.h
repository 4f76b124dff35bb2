// The board as one object: its store, its time-lapse workers and its HTTP
// server with every route. serve() runs until stop() (SIGTERM), which
// finishes the requests in flight and the jobs in hand.
#pragma once

#include "board/app/config.h"
#include "board/jobs/workers.h"

#include <memory>

namespace board::app {

// The time-lapse workers' settings from the board's (serve and worker share them).
jobs::Settings jobSettings(const Config& c);

class App {
public:
    explicit App(const Config& config);
    ~App();
    // Binds the address; false (with a message on stderr) when it cannot.
    bool bind();
    int port() const;
    // Serves until stop(); returns when requests in flight are done.
    void serve();
    void stop();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace board::app
