// Static files without traversal, cookies, and pages that show what visitors
// typed as text.
#include "board/http/server.h"
#include "board/pages/render.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace board;

TEST(BoardStatic, files_inside_the_site_are_served_and_nothing_outside) {
    auto base = std::filesystem::temp_directory_path() / ("board-site-" + std::to_string(::getpid()));
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(base / "site" / "studio");
    std::ofstream(base / "site" / "studio" / "index.html") << "studio";
    std::ofstream(base / "secret.txt") << "secret";
    std::filesystem::create_symlink(base / "secret.txt", base / "site" / "link.txt");
    std::string root = (base / "site").string();

    httplib::Response res;
    EXPECT_TRUE(http::serveFile(root, "/studio/", res));
    EXPECT_EQ(res.body, "studio");
    EXPECT_EQ(res.get_header_value("Content-Type"), "text/html; charset=utf-8");
    for (const char* path : {"/../secret.txt", "/studio/../../secret.txt", "/studio/..", "/./studio/index.html",
                             "//secret.txt", "/studio\\..\\..\\secret.txt", "/link.txt", "/studio", "", "secret.txt"}) {
        httplib::Response r;
        EXPECT_FALSE(http::serveFile(root, path, r)) << path;
        EXPECT_EQ(r.body.find("secret"), std::string::npos) << path;
    }
    std::filesystem::remove_all(base);
}

TEST(BoardCookies, cookies_are_read_by_exact_name_and_set_http_only) {
    httplib::Request req;
    req.headers.emplace("Cookie", "xqc_csrf=1; qc_csrf=abc; qc_session=def");
    EXPECT_EQ(http::cookie(req, "qc_csrf"), "abc");
    EXPECT_EQ(http::cookie(req, "qc_session"), "def");
    EXPECT_EQ(http::cookie(req, "qc"), "");
    std::string c = http::setCookie("qc_session", "t", 60, true, true);
    EXPECT_NE(c.find("HttpOnly"), std::string::npos);
    EXPECT_NE(c.find("SameSite=Strict"), std::string::npos);
    EXPECT_NE(c.find("Secure"), std::string::npos);
}

TEST(BoardPages, what_visitors_typed_is_escaped_and_never_read_as_a_template) {
    std::string hostile = "<script>alert(\"x\")</script> {{title}} {{{content}}} '";
    std::string html = pages::page("message", {{"heading", hostile}, {"message", hostile}, {"back", "/"}, {"back_label", "Back"}},
                                   {{"title", hostile}});
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; {{title}} {{{content}}} &apos;"), std::string::npos);
    // The layout's own script tag is the only one.
    EXPECT_NE(html.find("<script type=\"module\" src=\"/_board/board.js\"></script>"), std::string::npos);
    std::string feed = pages::render("feed", {{"base", "http://b"}, {"updated", "t"}, {"posts", {{{"title", "a & <b>"}, {"url", "/p/x"}}}}});
    EXPECT_NE(feed.find("<title>a &amp; &lt;b&gt;</title>"), std::string::npos);
}

}  // namespace
