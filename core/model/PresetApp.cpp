#include "core/model/PresetApp.h"

#include "core/support/FileURL.h"

namespace kestrine {

PresetApp PresetApp::make(const std::optional<std::string>& bundleIdentifier, std::string path, std::string name) {
    std::string id = bundleIdentifier && !bundleIdentifier->empty() ? *bundleIdentifier : urlIdentity(path);
    return PresetApp(std::move(id), std::move(path), std::move(name));
}

std::string PresetApp::urlIdentity(const std::string& path) {
    return "url:" + directoryFileURLString(path);
}

std::optional<std::string> PresetApp::url() const {
    if (path.empty()) return std::nullopt;
    return directoryFileURLString(path);
}

} // namespace kestrine

std::size_t std::hash<kestrine::PresetApp>::operator()(const kestrine::PresetApp& app) const noexcept {
    std::size_t h = std::hash<std::string>{}(app.id);
    for (const auto* s : {&app.path, &app.name}) h = h * 1099511628211ull ^ std::hash<std::string>{}(*s);
    return h;
}
