// A throw-away PostgreSQL cluster for a test binary (pg_cluster.sh, whose
// path the build gives as QC_PG_CLUSTER), started once before the first
// test and removed after the last. Tests on it fail, never skip, when it
// cannot start: CI installs the server.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace board::testing {

class PgTestCluster : public ::testing::Environment {
public:
    static inline std::string dir, uri, error;

    void SetUp() override {
        char tmpl[] = "/tmp/qc-test-pg-XXXXXX";
        if (!::mkdtemp(tmpl)) {
            error = "cannot make a folder for the cluster";
            return;
        }
        dir = tmpl;
        bool ok = false;
        // The cluster goes with this process, even when a crash skips TearDown.
        uri = run("QC_PG_OWNER_PID=" + std::to_string(::getpid()) + " " + QC_PG_CLUSTER + " start " + dir, ok);
        if (!ok || uri.rfind("postgresql://", 0) != 0) {
            error = "pg_cluster.sh start failed (is PostgreSQL installed? scripts/setup installs it): " + uri;
            uri.clear();
        }
    }
    void TearDown() override {
        bool ok = false;
        if (!dir.empty()) run(std::string(QC_PG_CLUSTER) + " stop " + dir + " 2>&1", ok);
    }
    // Runs `pg_cluster.sh what DIR` (down, up, restart).
    static void control(const std::string& what) {
        bool ok = false;
        std::string out = run(std::string(QC_PG_CLUSTER) + " " + what + " " + dir + " 2>&1", ok);
        ASSERT_TRUE(ok) << "pg_cluster.sh " << what << ": " << out;
    }
    // The location of a database of that name in the cluster.
    static std::string database(const std::string& name) { return uri.substr(0, uri.rfind('/') + 1) + name; }

    // Runs a command; its standard output, and whether it succeeded.
    static std::string run(const std::string& command, bool& ok) {
        std::string out;
        FILE* p = ::popen(command.c_str(), "r");
        ok = p != nullptr;
        if (!p) return out;
        char buf[512];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ok = ::pclose(p) == 0;
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
        return out;
    }
};

}  // namespace board::testing
