// Moving a board (board/transfer): a SQLite board with something in every
// table is copied into each kind of target store (SQLite, and PostgreSQL in
// a throw-away cluster with a database a target), then checked: ids and sequences
// kept, a copy stopped after any batch finished by the next run, a foreign
// target refused untouched, a tampered copy caught by the verification.
#include "board/security/crypto.h"
#include "board/store/board_store.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"
#include "board/transfer/copy.h"
#include "board/transfer/tables.h"
#include "board/transfer/verify.h"
#include "tests/board/pg_test_cluster.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

using namespace board::store;
using namespace board::transfer;
using board::testing::PgTestCluster;

const auto* const kCluster = ::testing::AddGlobalTestEnvironment(new PgTestCluster);

NewVersion drawing(int seed, std::size_t size = 3000) {
    NewVersion v;
    v.drawing = Blob(size, static_cast<std::uint8_t>(seed));
    v.drawing[0] = static_cast<std::uint8_t>(seed >> 8);
    v.picture = Blob{0x89, 'P', 'N', 'G', static_cast<std::uint8_t>(seed), 0};
    v.thumbnail = Blob{0x89, 'P', 'N', 'G', static_cast<std::uint8_t>(seed), 1};
    v.width = 320 + seed;
    v.height = 200;
    v.showSeconds = 12.345678901234567 * seed;
    return v;
}

// Something in every table, including what a live board leaves: deleted
// posts and comments (their ids must not come back), jobs done, failed and
// running, hidden rows, texts beyond ASCII.
void fillBoard(Database& db, int posts = 9) {  // posts: 5 at least
    BoardStore s(db);
    s.setting("csrf_key", board::security::randomHex(32));
    std::vector<std::string> ids;
    for (int i = 0; i < posts; ++i)
        ids.push_back(s.createPost(i % 3 ? "Meadow " + std::to_string(i) : "Prés fleuris ✿ " + std::to_string(i),
                                   i % 2 ? "Ann" : "Zoë", i % 4 == 0 ? std::optional<std::string>("$argon2id$x") : std::nullopt,
                                   drawing(i + 1, i == 0 ? 200000 : 3000)));
    s.addVersion(ids[1], std::string("Meadow at dusk"), drawing(100));
    s.addVersion(ids[1], std::nullopt, drawing(101));
    s.setPostHidden(ids[2], true);
    s.renamePost(ids[3], "Renamed");
    for (int i = 0; i < 12; ++i)
        s.addComment(ids[static_cast<std::size_t>(i % 4)], "Visitor " + std::to_string(i), "Lovely — ünïcode " + std::to_string(i),
                     i % 5 == 0 ? std::optional<std::string>("$argon2id$c") : std::nullopt, "192.0.2." + std::to_string(i));
    s.setCommentHidden(3, true);
    s.deleteComment(12);
    s.deletePost(ids.back());
    auto done = s.claimJob(60000);
    s.finishJob(done->id, done->attempts, "gif", Blob{'G', 'I', 'F', '8', '9', 'a', 7});
    auto failed = s.claimJob(60000);
    s.failJob(failed->id, failed->attempts, "the show ran too long", 1, 1000);
    s.claimJob(60000);  // left running, with its lease
    s.addModerator("mod", "$argon2id$m");
    s.createSession(std::string(64, 'a'), "mod", 1999999999999);
    s.addBan("198.51.100.0/24", "mod");
    s.addReport(ids[0], "spam", "192.0.2.9");
    s.addReport(ids[1], "not a drawing", "192.0.2.8");
    s.resolveReport(1);
    s.audit("mod", "hide post", ids[2]);
    s.takeToken("post:192.0.2.1", 30, 30.0 / 3600);
}

std::int64_t count(Database& db, const std::string& table) {
    return db.acquire()->query("SELECT COUNT(*) FROM " + table).at(0).integer(0);
}

class MigrateTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        board::security::initCrypto();
        if (GetParam() == "postgresql") {
            ASSERT_FALSE(PgTestCluster::uri.empty()) << PgTestCluster::error;
            admin_ = openDatabase(PgTestCluster::uri);
        }
        static int serial = 0;
        name_ = "migrate_" + std::to_string(::getpid()) + "_" + std::to_string(++serial);
        for (char& c : name_)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        dir_ = std::filesystem::temp_directory_path() / name_;
        std::filesystem::remove_all(dir_);
        source_ = openBoard("source");
        fillBoard(*source_);
    }
    void TearDown() override {
        targets_.clear();
        source_.reset();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
        for (const auto& name : databases_) {
            try {
                admin_->acquire()->script("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
            } catch (const DatabaseError&) {
            }
        }
    }

    std::unique_ptr<Database> openBoard(const std::string& name) {
        auto db = openDatabase("sqlite:" + (dir_ / name).string());
        migrate(*db);
        return db;
    }

    // An empty store of the kind under test, with the board's schema.
    Database& newTarget(const std::string& name = "target") {
        std::unique_ptr<Database> db;
        if (GetParam() == "sqlite") {
            db = openDatabase("sqlite:" + (dir_ / name).string());
        } else {
            std::string database = name_ + "_" + name;
            admin_->acquire()->script("CREATE DATABASE " + database);
            databases_.push_back(database);
            db = openDatabase(PgTestCluster::database(database));
        }
        migrate(*db);
        targets_.push_back(std::move(db));
        return *targets_.back();
    }

    CopyResult copy(Database& from, Database& to, CopyOptions o = {}) {
        Snapshot snapshot(from);
        return copyBoard(snapshot, to, o);
    }
    VerifyReport verify(Database& from, Database& to) {
        Snapshot snapshot(from);
        return verifyBoard(snapshot, to);
    }

    std::string name_;
    std::filesystem::path dir_;
    std::unique_ptr<Database> source_;
    std::vector<std::unique_ptr<Database>> targets_;
    std::unique_ptr<Database> admin_;
    std::vector<std::string> databases_;
};

TEST_P(MigrateTest, copies_every_row_of_every_table_and_new_ids_come_after_the_boards_own) {
    Database& target = newTarget();
    auto result = copy(*source_, target);
    EXPECT_TRUE(result.complete);
    EXPECT_FALSE(result.resumed);
    auto report = verify(*source_, target);
    EXPECT_TRUE(report.ok());
    for (const auto& t : report.tables) {
        EXPECT_TRUE(t.ok()) << t.table;
        EXPECT_EQ(t.targetRows, count(*source_, t.table)) << t.table;
        EXPECT_GT(t.targetRows, 0) << t.table << " is empty in the source: the test board should fill it";
    }
    EXPECT_EQ(report.mediaChecked, count(*source_, "media"));

    // The board had handed out post 9 and comment 12, both deleted since:
    // the new store goes on after them.
    BoardStore s(target);
    std::string id = s.createPost("After the move", "Ann", std::nullopt, drawing(200));
    EXPECT_EQ(s.post(id)->seq, 10);
    EXPECT_EQ(s.addComment(id, "V", "first on the new store", std::nullopt, "192.0.2.1"), 13);
    EXPECT_GT(s.claimJob(60000)->id, 0);
    EXPECT_EQ(target.acquire()->query("SELECT MAX(id) FROM jobs").at(0).integer(0),
              source_->acquire()->query("SELECT MAX(id) FROM jobs").at(0).integer(0) + 2);
}

TEST_P(MigrateTest, a_copy_stopped_after_any_batch_is_finished_by_the_next_run_without_duplicates_or_gaps) {
    Database& target = newTarget();
    CopyOptions o;
    o.batchRows = 3;
    o.batchBytes = 1;  // one medium a batch (the first is larger than a batch)
    o.stopAfterBatches = 2;
    int runs = 0;
    CopyResult r;
    do {
        r = copy(*source_, target, o);
        ++runs;
        if (runs == 1) EXPECT_FALSE(r.resumed);
        else EXPECT_TRUE(r.resumed);
        if (runs == 4) {
            // The board is still serving: what it adds between runs comes along.
            BoardStore(*source_).createPost("Posted meanwhile", "Ann", std::nullopt, drawing(300));
        }
        ASSERT_LT(runs, 200);
    } while (!r.complete);
    EXPECT_GT(runs, 10);
    auto report = verify(*source_, target);
    EXPECT_TRUE(report.ok());
    // Run again on a complete copy: nothing to copy, still the same board.
    auto again = copy(*source_, target);
    EXPECT_TRUE(again.complete);
    EXPECT_EQ(again.rows, 0);
    EXPECT_TRUE(verify(*source_, target).ok());
}

// What a serving board does between two runs: rows changed in place,
// deleted (a post with all that hangs on it), deleted and added again under
// a key or a unique value the copy still holds.
void changeBoard(Database& db) {
    BoardStore s(db);
    auto posts = s.posts(0, 100, std::nullopt, true);
    s.setPostHidden(posts[0].id, true);
    s.deletePost(posts[1].id);
    s.setCommentHidden(1, true);
    if (auto job = s.claimJob(60000)) s.finishJob(job->id, job->attempts, "mp4", Blob{'m', 'p', '4'});
    s.takeToken("post:192.0.2.1", 30, 30.0 / 3600);
    for (const auto& b : s.bans()) s.removeBan(b.id);
    s.addBan("198.51.100.0/24", "mod");
    auto c = db.acquire();
    c->run("DELETE FROM moderators WHERE name = 'mod'");
    c->run("INSERT INTO moderators(name, password_hash, created) VALUES('mod', '$argon2id$new', 'later')");
    c->run("INSERT INTO sessions(token_hash, moderator, expires) VALUES($1, 'mod', 1)", {std::string(64, 'b')});
}

TEST_P(MigrateTest, what_the_board_changed_between_two_runs_is_brought_up_to_date) {
    Database& target = newTarget();
    CopyOptions o;
    o.batchRows = 4;
    o.stopAfterBatches = 12;  // into the comments
    ASSERT_FALSE(copy(*source_, target, o).complete);
    changeBoard(*source_);
    auto r = copy(*source_, target);
    ASSERT_TRUE(r.complete);
    EXPECT_GT(r.updated, 0);
    EXPECT_GT(r.removed, 0);
    auto report = verify(*source_, target);
    for (const auto& t : report.tables) EXPECT_TRUE(t.ok()) << t.table << ": " << (t.differences.empty() ? "" : t.differences[0]);

    // Again after a verified copy, as when the board is stopped for the
    // last run after a first one made while it served.
    changeBoard(*source_);
    r = copy(*source_, target);
    EXPECT_GT(r.updated + r.added + r.removed, 0);
    EXPECT_TRUE(verify(*source_, target).ok());
}

TEST_P(MigrateTest, a_verified_copy_that_has_become_a_board_of_its_own_is_not_written_again) {
    Database& target = newTarget();
    ASSERT_TRUE(copy(*source_, target).complete);
    ASSERT_TRUE(verify(*source_, target).ok());
    BoardStore(target).addComment(BoardStore(target).posts(0, 1)[0].id, "New", "on the new board", std::nullopt, "192.0.2.7");
    changeBoard(*source_);
    auto comments = count(target, "comments"), posts = count(target, "posts");
    try {
        copy(*source_, target);
        FAIL() << "wrote again into a copy that has been serving";
    } catch (const TargetRefused& e) {
        EXPECT_NE(std::string(e.what()).find("changed since its copy was verified"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("in comments:"), std::string::npos) << e.what();
    }
    EXPECT_EQ(count(target, "comments"), comments);
    EXPECT_EQ(count(target, "posts"), posts);
}

TEST_P(MigrateTest, refuses_a_target_that_holds_another_board_and_leaves_it_as_it_was) {
    // A board of its own, served from the target already.
    Database& used = newTarget("used");
    fillBoard(used, 5);
    auto before = count(used, "posts");
    try {
        copy(*source_, used);
        FAIL() << "copied into a target holding another board";
    } catch (const TargetRefused& e) {
        EXPECT_NE(std::string(e.what()).find("already holds a board"), std::string::npos) << e.what();
    }
    EXPECT_EQ(count(used, "posts"), before);

    // The interrupted copy of another board.
    auto other = openBoard("other");
    fillBoard(*other, 6);
    Database& partial = newTarget("partial");
    CopyOptions o;
    o.stopAfterBatches = 1;
    copy(*other, partial, o);
    auto media = count(partial, "media");
    EXPECT_THROW(copy(*source_, partial), TargetRefused);
    EXPECT_EQ(count(partial, "media"), media);
    EXPECT_EQ(count(partial, "posts"), 0);
}

TEST_P(MigrateTest, verification_names_the_row_changed_missing_or_added_and_the_medium_whose_bytes_changed) {
    Database& target = newTarget();
    ASSERT_TRUE(copy(*source_, target).complete);
    ASSERT_TRUE(verify(*source_, target).ok());
    std::string thumbnail = source_->acquire()->query("SELECT thumbnail FROM versions LIMIT 1").at(0).text(0);
    {
        auto c = target.acquire();
        c->run("UPDATE comments SET body = 'Lovely - unicode 2' WHERE id = 2");
        c->run("UPDATE versions SET show_seconds = show_seconds + 1e-9 WHERE version = 2");
        c->run("DELETE FROM reports WHERE id = 1");
        c->run("INSERT INTO bans(network, moderator, created) VALUES('203.0.113.0/24', 'mod', 'now')");
        c->run("UPDATE media SET bytes = $1 WHERE sha256 = $2", {Blob{1, 2, 3}, thumbnail});
    }
    auto report = verify(*source_, target);
    EXPECT_FALSE(report.ok());
    std::map<std::string, TableCheck> byTable;
    for (const auto& t : report.tables) byTable[t.table] = t;
    EXPECT_EQ(byTable["comments"].differences, std::vector<std::string>{"differs: id=2"});
    EXPECT_EQ(byTable["versions"].differing, 1);
    EXPECT_EQ(byTable["reports"].differences, std::vector<std::string>{"missing from the target: id=1"});
    EXPECT_EQ(byTable["reports"].targetRows + 1, byTable["reports"].sourceRows);
    ASSERT_EQ(byTable["bans"].differences.size(), 1u);
    EXPECT_EQ(byTable["bans"].differences[0].rfind("only in the target: id=", 0), 0u);
    EXPECT_EQ(byTable["media"].differing, 1);
    EXPECT_EQ(report.badMedia, std::vector<std::string>{"sha256=" + thumbnail});
    for (const char* same : {"posts", "jobs", "settings", "rate_buckets"}) EXPECT_TRUE(byTable[same].ok()) << same;
}

TEST_P(MigrateTest, copies_one_snapshot_of_a_board_that_goes_on_serving_and_never_writes_to_it) {
    Database& target = newTarget();
    Snapshot snapshot(*source_);
    BoardStore(*source_).createPost("Posted during the copy", "Ann", std::nullopt, drawing(400));
    EXPECT_THROW(snapshot.connection().run("DELETE FROM settings"), DatabaseError);
    ASSERT_TRUE(copyBoard(snapshot, target, {}).complete);
    EXPECT_TRUE(verifyBoard(snapshot, target).ok());
    EXPECT_EQ(count(target, "posts") + 1, count(*source_, "posts"));
    EXPECT_EQ(count(*source_, "settings"), 1);
}

INSTANTIATE_TEST_SUITE_P(Stores, MigrateTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& p) { return p.param; });

// The transfer's list of tables is the schema's: a migration that adds a
// table or a column without it would leave rows behind.
TEST(MigrateTables, list_every_table_and_column_of_the_schema_with_its_key_first) {
    auto dir = std::filesystem::temp_directory_path() / ("migrate-tables-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    {
        auto db = openDatabase("sqlite:" + dir.string());
        migrate(*db);
        auto c = db->acquire();
        std::map<std::string, const Table*> listed;
        for (const auto& t : boardTables()) listed[t.name] = &t;
        std::size_t seen = 0;
        for (const auto& r : c->query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN "
                                      "('schema_migrations', 'sqlite_sequence')")) {
            std::string name = r.text(0);
            ASSERT_TRUE(listed.count(name)) << name << " is not copied";
            const Table& t = *listed[name];
            ++seen;
            auto columns = c->query("SELECT name, type, pk FROM pragma_table_info($1) ORDER BY cid", {name});
            ASSERT_EQ(columns.size(), t.columns.size()) << name;
            std::size_t keys = 0;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                EXPECT_EQ(columns[i].text(0), t.columns[i].name) << name;
                std::map<std::string, Kind> kinds{{"INTEGER", Kind::Integer}, {"REAL", Kind::Real},
                                                  {"TEXT", Kind::Text}, {"BLOB", Kind::Bytes}};
                EXPECT_EQ(kinds.at(columns[i].text(1)), t.columns[i].kind) << name << "." << t.columns[i].name;
                if (columns[i].integer(2) > 0) {
                    EXPECT_EQ(columns[i].integer(2), static_cast<std::int64_t>(i + 1)) << name << ": key not first";
                    ++keys;
                }
            }
            EXPECT_EQ(keys, t.keyColumns) << name;
        }
        EXPECT_EQ(seen, boardTables().size());
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
