// The board's store on a real SQLite file: migrations, posts and versions in
// one transaction, the job queue's leases and back-off, rate buckets.
#include "board/security/crypto.h"
#include "board/store/board_store.h"
#include "board/store/migrations.h"
#include "board/store/sqlite_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

using namespace board::store;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        board::security::initCrypto();
        dir_ = std::filesystem::temp_directory_path() /
               ("board-store-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        db_ = std::make_unique<SqliteDatabase>((dir_ / "board.sqlite3").string());
        migrate(*db_);
        store_ = std::make_unique<BoardStore>(*db_);
    }
    void TearDown() override {
        store_.reset();
        db_.reset();
        std::filesystem::remove_all(dir_);
    }
    static NewVersion version(std::uint8_t seed) {
        NewVersion v;
        v.drawing = Blob(451000, seed);
        v.picture = Blob{0x89, 'P', 'N', 'G', seed};
        v.thumbnail = Blob{0x89, 'P', 'N', 'G', seed, 1};
        v.width = 320;
        v.height = 200;
        v.showSeconds = 12.5;
        return v;
    }
    std::filesystem::path dir_;
    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<BoardStore> store_;
};

TEST_F(StoreTest, migrations_run_once_and_again_change_nothing) {
    EXPECT_EQ(migrate(*db_), 1);
    EXPECT_EQ(migrate(*db_), 1);
    auto c = db_->acquire();
    EXPECT_EQ(c->query("SELECT COUNT(*) FROM schema_migrations").at(0).integer(0), 1);
}

TEST_F(StoreTest, a_post_and_its_versions_keep_every_drawing_and_queue_their_jobs) {
    std::string id = store_->createPost("Meadow", "Ann", std::nullopt, version(1));
    ASSERT_EQ(id.size(), 8u);
    EXPECT_EQ(store_->addVersion(id, std::string("Meadow at dusk"), version(2)), 2);
    EXPECT_EQ(store_->addVersion(id, std::nullopt, version(3)), 3);
    EXPECT_EQ(store_->addVersion("nosuchid", std::nullopt, version(4)), 0);

    auto post = store_->post(id);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->latest, 3);
    EXPECT_EQ(post->title, "Meadow at dusk");
    auto versions = store_->versions(id);
    ASSERT_EQ(versions.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        auto drawing = store_->media(versions[i].drawing);
        ASSERT_TRUE(drawing);
        EXPECT_EQ(drawing->bytes, version(static_cast<std::uint8_t>(i + 1)).drawing);
        EXPECT_EQ(versions[i].gif.state, "queued");
        EXPECT_EQ(versions[i].mp4.state, "queued");
    }
    EXPECT_EQ(store_->unfinishedJobs(), 6);
    // The same picture twice is stored once, under its hash.
    std::string again = store_->createPost("Copy", "Bob", std::nullopt, version(1));
    EXPECT_EQ(store_->versions(again)[0].drawing, versions[0].drawing);
}

TEST_F(StoreTest, posts_page_newest_first_by_cursor_and_hidden_ones_stay_out) {
    std::vector<std::string> ids;
    for (int i = 0; i < 5; ++i) ids.push_back(store_->createPost("P" + std::to_string(i), i % 2 ? "Ann" : "Bob", std::nullopt, version(static_cast<std::uint8_t>(i))));
    store_->setPostHidden(ids[3], true);
    auto first = store_->posts(0, 2);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].id, ids[4]);
    EXPECT_EQ(first[1].id, ids[2]);
    auto rest = store_->posts(first.back().seq, 10);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].id, ids[1]);
    EXPECT_EQ(rest[1].id, ids[0]);
    EXPECT_EQ(store_->posts(0, 10, std::string("Ann")).size(), 1u);  // ids[1]; ids[3] is hidden
    EXPECT_EQ(store_->posts(0, 10, std::string("Ann"), true).size(), 2u);
}

TEST_F(StoreTest, a_job_is_leased_retried_with_back_off_then_failed_with_its_message) {
    std::string id = store_->createPost("T", "A", std::nullopt, version(1));
    auto job = store_->claimJob(60000);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->kind, "gif");
    EXPECT_EQ(job->drawing.size(), 451000u);
    auto other = store_->claimJob(60000);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->kind, "mp4");
    EXPECT_FALSE(store_->claimJob(60000)) << "both are leased";

    store_->failJob(job->id, "encoder crashed", 2, 60000);
    EXPECT_FALSE(store_->claimJob(60000)) << "the retry waits for its back-off";
    store_->failJob(other->id, "first", 2, 0);
    auto retry = store_->claimJob(60000);
    ASSERT_TRUE(retry);
    EXPECT_EQ(retry->attempts, 2);
    store_->failJob(retry->id, "second", 2, 0);
    auto versions = store_->versions(id);
    EXPECT_EQ(versions[0].mp4.state, "failed");
    EXPECT_EQ(versions[0].mp4.error, "second");
    EXPECT_EQ(versions[0].gif.state, "queued");
}

TEST_F(StoreTest, a_job_whose_lease_ran_out_is_taken_again_and_its_result_stored) {
    std::string id = store_->createPost("T", "A", std::nullopt, version(1));
    auto job = store_->claimJob(1);  // its worker "dies" at once
    ASSERT_TRUE(job);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    auto again = store_->claimJob(60000);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->id, job->id);
    store_->finishJob(again->id, "gif", Blob{'G', 'I', 'F'});
    auto v = store_->versions(id)[0];
    EXPECT_EQ(v.gif.state, "done");
    EXPECT_EQ(store_->media(v.gif.result)->bytes, (Blob{'G', 'I', 'F'}));
}

TEST_F(StoreTest, a_token_bucket_refuses_past_its_capacity_and_says_how_long_to_wait) {
    EXPECT_EQ(store_->takeToken("post:1.2.3.4", 2, 1.0 / 60), 0);
    EXPECT_EQ(store_->takeToken("post:1.2.3.4", 2, 1.0 / 60), 0);
    double wait = store_->takeToken("post:1.2.3.4", 2, 1.0 / 60);
    EXPECT_GT(wait, 50);
    EXPECT_LE(wait, 60);
    EXPECT_EQ(store_->takeToken("post:5.6.7.8", 2, 1.0 / 60), 0) << "another address has its own bucket";
}

TEST_F(StoreTest, a_failed_transaction_leaves_nothing_behind) {
    auto c = db_->acquire();
    {
        Transaction t(*c);
        c->run("INSERT INTO settings(key, value) VALUES($1, $2)", {std::string("k"), std::string("v")});
        // no commit
    }
    EXPECT_TRUE(c->query("SELECT 1 FROM settings WHERE key = $1", {std::string("k")}).empty());
    EXPECT_THROW(c->run("INSERT INTO nosuchtable VALUES($1)", {std::int64_t{1}}), DatabaseError);
}

TEST_F(StoreTest, an_online_backup_is_one_file_holding_every_post) {
    std::string id = store_->createPost("Kept", "Ann", std::string("hash"), version(7));
    auto backup = dir_ / "backup.sqlite3";
    db_->backup(backup.string());
    SqliteDatabase copy(backup.string());
    BoardStore restored(copy);
    auto post = restored.post(id);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->title, "Kept");
    EXPECT_EQ(restored.media(restored.versions(id)[0].drawing)->bytes, version(7).drawing);
}

}  // namespace
