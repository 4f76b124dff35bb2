#include "board/cli/worker_command.h"

#include "board/app/app.h"
#include "board/jobs/outage.h"
#include "board/jobs/workers.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"

#include <csignal>
#include <ctime>
#include <memory>
#include <ostream>
#include <pthread.h>

namespace board::cli {
namespace {

// Waits up to ms for SIGTERM or SIGINT (blocked in every thread); true when
// one came.
bool stopSignal(const sigset_t& signals, std::int64_t ms) {
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    return sigtimedwait(&signals, nullptr, &wait) > 0;
}

// Opens and migrates the store, waiting out an outage (the database may
// start after its workers). Null when a stop signal came first.
std::unique_ptr<store::Database> openWhenUp(const std::string& location, const sigset_t& signals) {
    jobs::Outage outage("worker");
    for (;;) {
        try {
            auto db = store::openDatabase(location);
            store::migrate(*db);
            outage.succeeded();
            return db;
        } catch (const store::DatabaseUnavailable& e) {
            if (stopSignal(signals, outage.failed(e.what()))) return nullptr;
        }
    }
}

}  // namespace

int runWorker(const app::Config& c, std::ostream& out, std::ostream& err) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::string location = store::databaseLocation(c.database, c.dataDir);
    auto db = openWhenUp(location, signals);
    if (!db) {
        err << "quillcast-board: worker stopped before the database answered" << std::endl;
        return 0;
    }
    store::BoardStore boardStore(*db);
    jobs::Settings settings = app::jobSettings(c);
    if (settings.workers < 1) settings.workers = 1;
    jobs::Workers workers(*db, boardStore, settings);
    workers.start();
    out << "quillcast-board: worker ready: " << settings.workers << " job" << (settings.workers == 1 ? "" : "s")
        << " at once, on " << store::describeLocation(location) << std::endl;
    int sig = 0;
    sigwait(&signals, &sig);
    err << "quillcast-board: worker stopping: finishing the jobs in hand" << std::endl;
    workers.stop();
    err << "quillcast-board: worker stopped (" << workers.finished() << " jobs finished)" << std::endl;
    return 0;
}

}  // namespace board::cli
