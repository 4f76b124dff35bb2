// The values pages and the JSON API show of posts, versions and comments.
#pragma once

#include "board/store/board_store.h"

#include <nlohmann/json.hpp>

namespace board::app {

std::string mediaUrl(const std::string& sha256, const std::string& ext);
std::string postUrl(const std::string& id, int version = 0);
// The JSON API's form of a post (GET /api/posts/<id>).
nlohmann::json postJson(const store::Post& post, const std::vector<store::Version>& versions);
// A post as the board's grid shows it.
nlohmann::json cardValues(const store::Post& post);

}  // namespace board::app
