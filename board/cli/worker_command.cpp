#include "board/cli/worker_command.h"

#include "board/app/app.h"
#include "board/cli/stop_signals.h"
#include "board/jobs/outage.h"
#include "board/jobs/workers.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"

#include <memory>
#include <ostream>

namespace board::cli {
namespace {

// Opens and migrates the store, waiting out an outage (the database may
// start after its workers). Null when a stop signal came first.
std::unique_ptr<store::Database> openWhenUp(const std::string& location, const StopSignals& signals) {
    jobs::Outage outage("worker");
    for (;;) {
        try {
            auto db = store::openDatabase(location);
            store::migrate(*db);
            outage.succeeded();
            return db;
        } catch (const store::DatabaseUnavailable& e) {
            if (signals.waitFor(outage.failed(e.what()))) return nullptr;
        }
    }
}

}  // namespace

int runWorker(const app::Config& c, std::ostream& out, std::ostream& err) {
    StopSignals signals;
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
    signals.wait();
    err << "quillcast-board: worker stopping: finishing the jobs in hand" << std::endl;
    workers.stop();
    err << "quillcast-board: worker stopped (" << workers.finished() << " jobs finished)" << std::endl;
    return 0;
}

}  // namespace board::cli
