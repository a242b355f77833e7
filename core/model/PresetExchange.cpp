#include "core/model/PresetExchange.h"

#include <nlohmann/json.hpp>

#include "core/support/Unicode.h"

namespace kestrine::PresetExchange {

namespace {

using nlohmann::json;

const json& member(const json& object, const char* key, json::value_t type, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end() || it->type() != type)
        throw PresetExchangeError(where + ": \"" + key + "\" is missing or of the wrong type");
    return *it;
}

std::string optionalString(const json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return {};
    if (!it->is_string()) throw PresetExchangeError(where + ": \"" + key + "\" is not text");
    return it->get<std::string>();
}

}  // namespace

std::string encode(const std::vector<Preset>& presets) {
    json list = json::array();
    for (const Preset& preset : presets) {
        json apps = json::array();
        for (const PresetApp& app : preset.apps) apps.push_back({{"id", app.id}, {"name", app.name}, {"path", app.path}});
        json entry{{"name", preset.name}, {"apps", std::move(apps)}};
        entry["emoji"] = preset.emoji && !preset.emoji->empty() ? json(*preset.emoji) : json(nullptr);
        list.push_back(std::move(entry));
    }
    const json document{{"format", formatName}, {"version", version}, {"presets", std::move(list)}};
    return document.dump(2) + "\n";
}

std::vector<Preset> decode(std::string_view text) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& error) {
        throw PresetExchangeError(std::string("not JSON: ") + error.what());
    }
    if (!document.is_object()) throw PresetExchangeError("not a preset export");
    const auto format = document.find("format");
    if (format == document.end() || !format->is_string() || format->get<std::string>() != formatName)
        throw PresetExchangeError("not a Kestrine preset export (\"format\" is not \"" + std::string(formatName) + "\")");
    const auto number = document.find("version");
    if (number == document.end() || !number->is_number_integer() || number->get<std::int64_t>() != version)
        throw PresetExchangeError("preset export version " + (number == document.end() ? std::string("missing") : number->dump()) +
                                  " is not supported (this Kestrine reads version " + std::to_string(version) + ")");

    std::vector<Preset> presets;
    const json& list = member(document, "presets", json::value_t::array, "the file");
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string where = "preset " + std::to_string(i + 1);
        const json& entry = list[i];
        if (!entry.is_object()) throw PresetExchangeError(where + " is not an object");
        Preset preset;
        preset.name = trimmed(member(entry, "name", json::value_t::string, where).get<std::string>());
        if (preset.name.empty()) throw PresetExchangeError(where + " has no name");
        if (std::string emoji = optionalString(entry, "emoji", where); !emoji.empty()) preset.emoji = std::move(emoji);
        const json& apps = member(entry, "apps", json::value_t::array, where);
        for (std::size_t j = 0; j < apps.size(); ++j) {
            const std::string appWhere = where + ", application " + std::to_string(j + 1);
            if (!apps[j].is_object()) throw PresetExchangeError(appWhere + " is not an object");
            PresetApp app(member(apps[j], "id", json::value_t::string, appWhere).get<std::string>(),
                          optionalString(apps[j], "path", appWhere), optionalString(apps[j], "name", appWhere));
            if (app.id.empty()) throw PresetExchangeError(appWhere + " has no id");
            preset.apps.push_back(std::move(app));
        }
        presets.push_back(std::move(preset));
    }
    return presets;
}

std::string freeName(const std::string& name, const std::function<bool(const std::string&)>& isTaken) {
    if (!isTaken(name)) return name;
    for (int n = 2;; ++n) {
        std::string candidate = name + " " + std::to_string(n);
        if (!isTaken(candidate)) return candidate;
    }
}

}  // namespace kestrine::PresetExchange
