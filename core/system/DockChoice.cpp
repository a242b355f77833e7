#include "core/system/DockChoice.h"

#include <algorithm>
#include <cctype>

namespace kestrine {
namespace {

std::string_view trimmed(std::string_view text) {
    auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The name becomes a folder name (plank-NAME) and a GSettings path component, so it is
// kept to the characters both accept.
bool validDockName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '_' || c == '.';
    });
}

} // namespace

std::optional<DockChoice> DockChoice::parse(std::string_view text) {
    text = trimmed(text);
    const auto colon = text.find(':');
    const std::string kind = lowered(text.substr(0, colon));
    if (colon == std::string_view::npos) {
        if (kind == "file") return file();
        if (kind == "gnome") return gnome();
        if (kind == "plank") return plank();
        return std::nullopt;
    }
    const std::string_view dock = text.substr(colon + 1);
    if (kind == "plank" && validDockName(dock)) return plank(std::string(dock));
    return std::nullopt;
}

std::string DockChoice::name() const {
    switch (kind) {
    case Kind::file: return "file";
    case Kind::gnome: return "gnome";
    case Kind::plank: return "plank:" + plankDock;
    }
    return "file";
}

std::filesystem::path DockChoice::dataDirectory(const std::filesystem::path& supportDirectory) const {
    switch (kind) {
    case Kind::file: return supportDirectory;
    case Kind::gnome: return supportDirectory / "docks" / "gnome";
    case Kind::plank: return supportDirectory / "docks" / ("plank-" + plankDock);
    }
    return supportDirectory;
}

} // namespace kestrine
