// Pages rendered on the server from mustache templates, which escape every
// value unless a template asks otherwise ({{{content}}} in the layout only):
// whatever a visitor typed, "<script>", quotes or "{{ }}", shows as text.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace board::pages {

// The page `name` (board, post, message, mod, mod_login) with its values,
// inside the layout, whose own values are in `layout` (title, og, ...).
std::string page(const std::string& name, const nlohmann::json& values, const nlohmann::json& layout);
// A template on its own (the Atom feed).
std::string render(const std::string& name, const nlohmann::json& values);

}  // namespace board::pages
