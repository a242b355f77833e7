#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrine {

/// Which dock one run of the program manages: the Dock preferences file, GNOME Shell's
/// favourites, or one of Plank's docks (by its name, "dock1" unless told otherwise).
struct DockChoice {
    enum class Kind { file, gnome, plank };

    Kind kind = Kind::file;
    /// The Plank dock's name; empty for the other kinds.
    std::string plankDock;

    static DockChoice file() { return {}; }
    static DockChoice gnome() { return {Kind::gnome, {}}; }
    static DockChoice plank(std::string dock = "dock1") { return {Kind::plank, std::move(dock)}; }

    /// "file", "gnome", "plank" (Plank's dock1) or "plank:NAME", ignoring case in the kind
    /// and white space around the value. A Plank dock name is one path component of letters,
    /// digits, '-', '_' and '.', not "." or "..". Nothing for anything else.
    static std::optional<DockChoice> parse(std::string_view text);

    /// The value parse() reads back: "file", "gnome" or "plank:NAME".
    std::string name() const;

    /// Where this dock's state file and backups live: the support folder itself for the
    /// file dock (as it always was), else support/docks/gnome or support/docks/plank-NAME.
    std::filesystem::path dataDirectory(const std::filesystem::path& supportDirectory) const;

    friend bool operator==(const DockChoice&, const DockChoice&) = default;
};

} // namespace kestrine
