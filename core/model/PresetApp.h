#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kestrine {

/// One application of a preset, identified by `id`: its bundle identifier, or "url:"
/// followed by the file URL string of its path taken as a directory.
struct PresetApp {
    std::string id;
    std::string path; // absolute path of the bundle; empty when unknown
    std::string name; // display name

    PresetApp() = default;
    PresetApp(std::string id, std::string path, std::string name)
        : id(std::move(id)), path(std::move(path)), name(std::move(name)) {}

    /// The id is the bundle identifier when present and not empty, else the "url:" form.
    static PresetApp make(const std::optional<std::string>& bundleIdentifier, std::string path, std::string name);

    /// "url:" followed by the directory file URL string of `path`.
    static std::string urlIdentity(const std::string& path);

    /// The directory file URL string for `path`, or nothing when `path` is empty.
    std::optional<std::string> url() const;

    friend bool operator==(const PresetApp&, const PresetApp&) = default;
};

} // namespace kestrine

template <>
struct std::hash<kestrine::PresetApp> {
    std::size_t operator()(const kestrine::PresetApp& app) const noexcept;
};
