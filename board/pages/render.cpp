#include "board/pages/render.h"

#include "board/pages/assets.h"

#include <kainjow/mustache.hpp>

#include <map>
#include <memory>
#include <stdexcept>

namespace board::pages {
namespace {

using kainjow::mustache::data;
using kainjow::mustache::mustache;

data toData(const nlohmann::json& j) {
    switch (j.type()) {
        case nlohmann::json::value_t::object: {
            data d{data::type::object};
            for (auto it = j.begin(); it != j.end(); ++it) d.set(it.key(), toData(it.value()));
            return d;
        }
        case nlohmann::json::value_t::array: {
            data d{data::type::list};
            for (const auto& e : j) d.push_back(toData(e));
            return d;
        }
        case nlohmann::json::value_t::string: return data(j.get<std::string>());
        case nlohmann::json::value_t::boolean: return j.get<bool>() ? data(data::type::bool_true) : data(data::type::bool_false);
        case nlohmann::json::value_t::null: return data(data::type::bool_false);
        case nlohmann::json::value_t::number_float: {
            std::string s = j.dump();
            return data(s);
        }
        default: return data(j.dump());
    }
}

// Templates are parsed once per thread: a parsed template is not safe to
// render from two threads at once.
mustache& compiled(const std::string& name) {
    thread_local std::map<std::string, std::unique_ptr<mustache>> cache;
    auto& slot = cache[name];
    if (!slot) {
        std::string text = asset(name + ".mustache");
        if (text.empty()) throw std::logic_error("no template " + name);
        slot = std::make_unique<mustache>(text);
        if (!slot->is_valid()) throw std::logic_error("template " + name + ": " + slot->error_message());
    }
    return *slot;
}

}  // namespace

std::string asset(const std::string& name) {
    for (const auto& a : assets())
        if (name == a.name) return a.text;
    return {};
}

std::string render(const std::string& name, const nlohmann::json& values) {
    return compiled(name).render(toData(values));
}

std::string page(const std::string& name, const nlohmann::json& values, const nlohmann::json& layout) {
    nlohmann::json outer = layout;
    std::string content = render(name, values);
    data d = toData(outer);
    d.set("content", content);
    return compiled("layout").render(d);
}

}  // namespace board::pages
