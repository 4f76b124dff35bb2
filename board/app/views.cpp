#include "board/app/views.h"

#include "board/util/clock.h"
#include "board/util/text.h"

#include <algorithm>

namespace board::app {

std::string mediaUrl(const std::string& sha256, const std::string& ext) { return "/media/" + sha256 + "." + ext; }

std::string postUrl(const std::string& id, int version) {
    return version > 0 ? "/p/" + id + "/v/" + std::to_string(version) : "/p/" + id;
}

namespace {
nlohmann::json jobJson(const store::JobState& s, const std::string& ext) {
    nlohmann::json j{{"state", s.state.empty() ? "queued" : s.state}};
    if (s.state == "done") j["url"] = mediaUrl(s.result, ext);
    if (s.state == "failed") j["error"] = s.error;
    return j;
}
}  // namespace

nlohmann::json postJson(const store::Post& post, const std::vector<store::Version>& versions) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& v : versions) {
        list.push_back({{"version", v.version},
                        {"title", v.title},
                        {"created", v.created},
                        {"drawing", mediaUrl(v.drawing, "qcd")},
                        {"picture", mediaUrl(v.picture, "png")},
                        {"thumbnail", mediaUrl(v.thumbnail, "png")},
                        {"width", v.width},
                        {"height", v.height},
                        {"show_seconds", v.showSeconds},
                        {"url", postUrl(post.id, v.version)},
                        {"gif", jobJson(v.gif, "gif")},
                        {"mp4", jobJson(v.mp4, "mp4")}});
    }
    return {{"id", post.id},          {"title", post.title},   {"artist", post.artist},
            {"created", post.created}, {"latest", post.latest}, {"url", postUrl(post.id)},
            {"versions", list}};
}

nlohmann::json cardValues(const store::Post& p) {
    // Thumbnails fit 320x240; the card states their size so the grid does not jump.
    double scale = std::min({1.0, 320.0 / std::max(1, p.width), 240.0 / std::max(1, p.height)});
    return {{"id", p.id},
            {"url", postUrl(p.id)},
            {"title", p.title},
            {"artist", p.artist},
            {"artist_url", "/a/" + util::urlEncode(p.artist)},
            {"created", p.created},
            {"day", util::dayText(p.created)},
            {"length", util::durationText(p.showSeconds)},
            {"latest", std::to_string(p.latest)},
            {"versions", p.latest > 1},
            {"hidden", p.hidden},
            {"thumbnail", mediaUrl(p.thumbnail, "png")},
            {"picture", mediaUrl(p.picture, "png")},
            {"thumb_width", std::to_string(std::max(1, static_cast<int>(p.width * scale)))},
            {"thumb_height", std::to_string(std::max(1, static_cast<int>(p.height * scale)))}};
}

}  // namespace board::app
