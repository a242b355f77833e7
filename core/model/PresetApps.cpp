#include "core/model/PresetApps.h"

#include <algorithm>
#include <unordered_set>

namespace kestrine::PresetApps {
namespace {

using List = std::vector<PresetApp>;

List::const_iterator findID(const List& list, const std::string& id) {
    return std::find_if(list.begin(), list.end(), [&](const PresetApp& app) { return app.id == id; });
}

} // namespace

List adding(const List& existing, const List& added) {
    std::unordered_set<std::string> seen;
    seen.reserve(existing.size() + added.size());
    for (const auto& app : existing) seen.insert(app.id);
    List result = existing;
    for (const auto& app : added)
        if (seen.insert(app.id).second) result.push_back(app);
    return result;
}

List removing(const List& list, const std::string& id) {
    List result;
    result.reserve(list.size());
    for (const auto& app : list)
        if (app.id != id) result.push_back(app);
    return result;
}

List moving(const List& list, const std::string& id, std::int64_t toIndex) {
    auto found = findID(list, id);
    if (found == list.end()) return list;
    List result = list;
    auto position = found - list.begin();
    PresetApp moved = std::move(result[static_cast<std::size_t>(position)]);
    result.erase(result.begin() + position);
    auto size = static_cast<std::int64_t>(result.size());
    auto target = std::clamp<std::int64_t>(toIndex, 0, size);
    result.insert(result.begin() + target, std::move(moved));
    return result;
}

List moving(const List& list, const std::string& id, const std::optional<std::string>& before) {
    if (findID(list, id) == list.end()) return list;
    if (!before) return moving(list, id, static_cast<std::int64_t>(list.size()));
    if (*before == id || findID(list, *before) == list.end()) return list;
    List result = list;
    auto position = findID(result, id) - result.cbegin();
    PresetApp moved = std::move(result[static_cast<std::size_t>(position)]);
    result.erase(result.begin() + position);
    auto target = findID(result, *before) - result.cbegin();
    result.insert(result.begin() + target, std::move(moved));
    return result;
}

List applyingSelection(const List& current, const std::set<std::string>& selected, const List& candidates) {
    List kept;
    for (const auto& app : current)
        if (selected.count(app.id)) kept.push_back(app);
    List chosen;
    for (const auto& app : candidates)
        if (selected.count(app.id)) chosen.push_back(app);
    return adding(kept, chosen);
}

} // namespace kestrine::PresetApps
