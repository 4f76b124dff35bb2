// The embedded store: one SQLite file in WAL mode with synchronous=FULL, so a
// committed transaction survives a crash or a power cut. Connections are
// pooled; each caches its prepared statements.
#pragma once

#include "board/store/database.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace board::store {

class SqliteDatabase : public Database {
public:
    // Opens (creating it when missing) the database file.
    explicit SqliteDatabase(std::string path);
    ~SqliteDatabase() override;
    std::string dialect() const override { return "sqlite"; }
    Handle acquire() override;
    void backup(const std::string& path) override;
    // One file has no notifications between processes: listeners poll.
    std::unique_ptr<Listener> listen(const std::string& channel) override;
    void notify(Connection&, const std::string&) override {}

private:
    std::unique_ptr<Connection> open();
    std::string path_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace board::store
