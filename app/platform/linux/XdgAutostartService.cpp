#include "app/platform/linux/XdgAutostartService.h"

#include <cstdlib>
#include <sstream>
#include <system_error>

#include "core/support/AtomicFile.h"

namespace kestrine {
namespace fs = std::filesystem;

XdgAutostartService::XdgAutostartService(fs::path configHome, fs::path executable)
    : configHome_(std::move(configHome)), executable_(std::move(executable)) {}

fs::path XdgAutostartService::defaultConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) return xdg;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".config";
}

LoginItemService::Status XdgAutostartService::status() const {
    std::optional<std::string> text;
    try {
        text = readFileIfExists(entryPath());
    } catch (const std::exception&) {
        return Status::notRegistered;
    }
    if (!text) return Status::notRegistered;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "Hidden=true") return Status::notRegistered;
    }
    return Status::enabled;
}

std::string XdgAutostartService::entryText(const fs::path& executable) {
    // Exec quoting of the desktop entry format: the path in double quotes, with the
    // characters that are special inside them escaped by a backslash.
    std::string quoted = "\"";
    // Values are unescaped once as strings (a doubled backslash is one) before the quoting
    // rule applies, so each escaping backslash is itself written twice.
    for (char c : executable.string()) {
        if (c == '\\') quoted += "\\\\\\\\";
        else if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
        if (c != '\\') quoted += c;
    }
    quoted += '"';
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kestrine\n"
           "Comment=Switch between Dock presets\n"
           "Exec=" + quoted + " --login-item\n"
           "Icon=kestrine\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

void XdgAutostartService::registerItem() {
    writeFileAtomically(entryPath(), entryText(executable_));
}

void XdgAutostartService::unregisterItem() {
    std::error_code ec;
    fs::remove(entryPath(), ec);
    if (ec) throw fs::filesystem_error("cannot remove the autostart entry", entryPath(), ec);
}

bool isInstalledApplication(const fs::path& executable) {
    if (executable.filename() != "kestrine") return false;
    fs::path bin = executable.parent_path();
    if (bin.filename() != "bin") return false;
    std::error_code ec;
    return fs::is_regular_file(bin.parent_path() / "share" / "applications" / "kestrine.desktop", ec);
}

} // namespace kestrine
