#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/model/PresetApp.h"

namespace kestrine {

/// Edits of a preset's application list that never introduce a repeated id. Apps are
/// told apart by `id` alone, compared exactly.
namespace PresetApps {

/// `existing` followed by those of `added` whose id is in neither `existing` nor earlier
/// in `added`. `existing` itself is kept as it is, repeats and all.
std::vector<PresetApp> adding(const std::vector<PresetApp>& existing, const std::vector<PresetApp>& added);

/// The list without every app with this id.
std::vector<PresetApp> removing(const std::vector<PresetApp>& list, const std::string& id);

/// Moves the first app with `id` to `toIndex`, counted in the list without that app and
/// clamped to its bounds (negative: front; at or past the end: back). Unchanged when no
/// app has that id.
std::vector<PresetApp> moving(const std::vector<PresetApp>& list, const std::string& id, std::int64_t toIndex);

/// Moves the first app with `id` just in front of the first app with the id `before`, or
/// to the end when `before` is absent. Unchanged when no app has `id`, when `before`
/// equals `id` or when no app has the id `before`.
std::vector<PresetApp> moving(const std::vector<PresetApp>& list, const std::string& id,
                              const std::optional<std::string>& before);

/// The list a picker's selection leads to: the current apps that stay selected, in their
/// order, followed by the newly selected candidates in the candidates' order.
std::vector<PresetApp> applyingSelection(const std::vector<PresetApp>& current, const std::set<std::string>& selected,
                                         const std::vector<PresetApp>& candidates);

} // namespace PresetApps
} // namespace kestrine
