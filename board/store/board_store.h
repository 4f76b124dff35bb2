// What the board keeps, as the rest of the server sees it: posts and their
// versions, media by content hash, comments, time-lapse jobs, moderators,
// sessions, bans, reports, the audit log, rate buckets and settings. Every
// change that belongs together is one transaction.
#pragma once

#include "board/store/database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace board::store {

struct NewVersion {
    Blob drawing;    // .qcd
    Blob picture;    // PNG
    Blob thumbnail;  // PNG
    int width = 0;
    int height = 0;
    double showSeconds = 0;
};

struct Post {
    std::int64_t seq = 0;
    std::string id, title, artist, created;
    int latest = 1;
    bool hidden = false;
    std::string thumbnail;  // of the latest version (sha256)
    std::string picture;
    int width = 0, height = 0;
    double showSeconds = 0;
};

struct JobState {
    std::string state;   // "queued", "running", "done", "failed"
    std::string result;  // sha256 of the medium when done
    std::string error;
};

struct Version {
    int version = 1;
    std::string title, created, drawing, picture, thumbnail;
    int width = 0, height = 0;
    double showSeconds = 0;
    JobState gif, mp4;
};

struct Comment {
    std::int64_t id = 0;
    std::string postId, name, body, created, address;
    bool hidden = false;
    bool hasPassword = false;
};

struct Media {
    std::string type;
    Blob bytes;
};

struct Job {
    std::int64_t id = 0;
    std::string postId, kind;
    int version = 0;
    int attempts = 0;  // this one included
    Blob drawing;
};

struct Report {
    std::int64_t id = 0;
    std::string postId, title, reason, address, created;
};

struct Ban {
    std::int64_t id = 0;
    std::string network, moderator, created;
};

struct AuditEntry {
    std::string moderator, action, target, created;
};

class BoardStore {
public:
    explicit BoardStore(Database& db) : db_(db) {}

    // Stores the media, the post, its first version and its time-lapse jobs
    // at once; returns the post's id.
    std::string createPost(const std::string& title, const std::string& artist,
                           const std::optional<std::string>& passwordHash, const NewVersion& v);
    // The next version of a post, with its jobs; returns its number.
    int addVersion(const std::string& id, const std::optional<std::string>& title, const NewVersion& v);
    std::optional<Post> post(const std::string& id);
    // Newest first: posts older than `before` (a seq; 0 for the newest),
    // of one artist when given; hidden ones only when asked.
    std::vector<Post> posts(std::int64_t before, int limit, const std::optional<std::string>& artist = {},
                            bool withHidden = false);
    std::vector<Version> versions(const std::string& id);
    std::optional<std::string> postPasswordHash(const std::string& id);
    bool setPostHidden(const std::string& id, bool hidden);
    // A new title for the post and its latest version.
    bool renamePost(const std::string& id, const std::string& title);
    bool deletePost(const std::string& id);

    std::optional<Media> media(const std::string& sha256);
    bool hasMedia(const std::string& sha256);

    std::int64_t addComment(const std::string& postId, const std::string& name, const std::string& body,
                            const std::optional<std::string>& passwordHash, const std::string& address);
    std::vector<Comment> comments(const std::string& postId, bool withHidden);
    std::vector<Comment> recentComments(int limit);
    std::optional<Comment> comment(std::int64_t id);
    std::optional<std::string> commentPasswordHash(std::int64_t id);
    bool setCommentHidden(std::int64_t id, bool hidden);
    bool deleteComment(std::int64_t id);

    // Takes the oldest job that is due, or one whose lease ran out, and
    // leases it until now + leaseMs; Job::attempts is this attempt's number.
    // Workers on any number of connections never take the same lease.
    // A job whose lease ran out after its last allowed attempt (its worker
    // died each time) is marked failed instead (maxAttempts 0: no limit).
    std::optional<Job> claimJob(std::int64_t leaseMs, int maxAttempts = 0);
    // Stores the result with the job's completion, in one transaction, if
    // the job is still this attempt's (false: it was taken again or done).
    bool finishJob(std::int64_t id, int attempt, const std::string& type, const Blob& result);
    // Back to the queue after a delay that doubles with each attempt, or
    // failed for good with its message after maxAttempts; only while the
    // job is this attempt's.
    bool failJob(std::int64_t id, int attempt, const std::string& message, int maxAttempts,
                 std::int64_t backoffMs);
    int unfinishedJobs();

    void addModerator(const std::string& name, const std::string& passwordHash);
    std::optional<std::string> moderatorPasswordHash(const std::string& name);
    void createSession(const std::string& tokenHash, const std::string& moderator, std::int64_t expiresMs);
    std::optional<std::string> sessionModerator(const std::string& tokenHash);
    void deleteSession(const std::string& tokenHash);

    bool addBan(const std::string& network, const std::string& moderator);
    bool removeBan(std::int64_t id);
    std::vector<Ban> bans();

    void addReport(const std::string& postId, const std::string& reason, const std::string& address);
    std::vector<Report> openReports();
    bool resolveReport(std::int64_t id);

    void audit(const std::string& moderator, const std::string& action, const std::string& target);
    std::vector<AuditEntry> auditLog(int limit);

    // A token bucket per key: capacity tokens, refilled at perSecond. Takes a
    // token and returns 0, or returns the seconds until one is there.
    double takeToken(const std::string& key, double capacity, double perSecond);

    // A setting, created with `initial` the first time it is read.
    std::string setting(const std::string& key, const std::string& initial);

    // Every stored version with its drawing and picture hashes (for check).
    struct StoredVersion {
        std::string postId;
        int version = 0;
        std::string drawing, picture;
    };
    std::vector<StoredVersion> allVersions();

private:
    void putMedia(Connection& c, const std::string& sha, const std::string& type, const Blob& bytes);
    void insertVersion(Connection& c, const std::string& id, int number, const std::string& title,
                       const NewVersion& v);
    Database& db_;
};

}  // namespace board::store
