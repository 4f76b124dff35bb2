// Grows a board for the migration tests, fast, through the store: the posts
// already on it (real drawings, posted through the board) are posted again
// COUNT times under other titles and artists, some with later versions,
// comments, reports, hidden or deleted, jobs done or failed; a moderator
// with a session, a ban and the audit log fill the rest.
// Usage: board_test_make_board DIR COUNT [--unique-pictures]
// (--unique-pictures: each post's picture and thumbnail get bytes of their
// own after the PNG's end, so the media grow with the posts, as on a real
// board; for benchmarks)
#include "board/security/crypto.h"
#include "board/store/board_store.h"
#include "board/store/migrations.h"
#include "board/store/open_database.h"

#include <cstdlib>
#include <iostream>

using namespace board::store;

int main(int argc, char** argv) {
    bool unique = argc == 4 && std::string(argv[3]) == "--unique-pictures";
    if (argc != 3 && !unique) {
        std::cerr << "usage: board_test_make_board DIR COUNT [--unique-pictures]\n";
        return 2;
    }
    board::security::initCrypto();
    auto db = openDatabase(std::string("sqlite:") + argv[1]);
    migrate(*db);
    // A test board need not survive a power cut: no sync at each commit (the
    // store hands out this one connection again and again).
    db->acquire()->script("PRAGMA synchronous = OFF");
    BoardStore s(*db);
    int count = std::atoi(argv[2]);
    if (count < 2) {
        std::cerr << "board_test_make_board: COUNT must be 2 or more\n";
        return 2;
    }

    // The real drawings to post again, with their pictures.
    std::vector<NewVersion> drawings;
    std::vector<std::string> titles;
    for (const auto& p : s.posts(0, 1000, std::nullopt, true)) {
        for (const auto& v : s.versions(p.id)) {
            NewVersion n;
            n.drawing = s.media(v.drawing)->bytes;
            n.picture = s.media(v.picture)->bytes;
            n.thumbnail = s.media(v.thumbnail)->bytes;
            n.width = v.width;
            n.height = v.height;
            n.showSeconds = v.showSeconds;
            drawings.push_back(std::move(n));
            titles.push_back(v.title);
        }
    }
    if (drawings.empty()) {
        std::cerr << "board_test_make_board: " << argv[1] << " has no posts to copy\n";
        return 1;
    }

    const char* artists[] = {"Ann", "Bob", "Zoë", "Lin", "O'Hara & Sons", "renée"};
    std::vector<std::string> ids;
    for (int i = 0; i < count; ++i) {
        std::size_t d = static_cast<std::size_t>(i) % drawings.size();
        NewVersion v = drawings[d];
        if (unique) {
            std::string own = "post " + std::to_string(i);
            v.picture.insert(v.picture.end(), own.begin(), own.end());
            v.thumbnail.insert(v.thumbnail.end(), own.begin(), own.end());
        }
        std::string id = s.createPost(titles[d] + " <study " + std::to_string(i) + ">", artists[i % 6],
                                      i % 7 == 0 ? std::optional<std::string>(board::security::randomHex(20)) : std::nullopt,
                                      v);
        ids.push_back(id);
        if (i % 5 == 0) s.addVersion(id, "Again, " + std::to_string(i), drawings[(d + 1) % drawings.size()]);
        if (i % 10 == 0) s.addVersion(id, std::nullopt, drawings[(d + 2) % drawings.size()]);
        for (int c = 0; c < i % 4; ++c) {
            auto cid = s.addComment(id, c ? "Visitor" : "Ann", "Comment " + std::to_string(c) + " on \"" + id + "\" — nice",
                                    c == 2 ? std::optional<std::string>("x") : std::nullopt, "192.0.2." + std::to_string(c));
            if (i % 9 == 0 && c == 1) s.setCommentHidden(cid, true);
        }
        if (i % 17 == 3) s.setPostHidden(id, true);
        if (i % 23 == 4) s.addReport(id, "looks copied", "198.51.100.7");
        // Some time-lapses done (the medium is a stand-in: pages only link
        // it), a few failed for good, the rest queued. Taken while the queue
        // is short, as taking a job reads every due job's drawing.
        if (i < count / 3) {
            if (auto job = s.claimJob(60000)) {
                if (i % 13 == 12) s.failJob(job->id, job->attempts, "the show ran past its deadline", 1, 0);
                else s.finishJob(job->id, job->attempts, job->kind, Blob{'G', 'I', 'F', '8', '9', 'a', static_cast<std::uint8_t>(i)});
            }
        }
    }
    s.deletePost(ids.at(ids.size() / 2));
    s.addModerator("keeper", board::security::randomHex(20));
    // The migration test signs in with this token (64 k's).
    s.createSession(board::security::sha256Hex(std::string(64, 'k')), "keeper", 4102444800000);
    s.addBan("203.0.113.0/24", "keeper");
    s.audit("keeper", "ban", "203.0.113.0/24");
    s.takeToken("post:192.0.2.1", 30, 30.0 / 3600);
    std::cout << ids.size() << " posts added\n";
    return 0;
}
