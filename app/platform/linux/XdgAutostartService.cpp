#include "app/platform/linux/XdgAutostartService.h"

#include <cstdlib>
#include <stdexcept>
#include <sstream>
#include <system_error>

#include "app/cli/CommandLine.h"
#include "core/model/AppPaths.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
namespace fs = std::filesystem;

XdgAutostartService::XdgAutostartService(fs::path configHome, fs::path executable)
    : configHome_(std::move(configHome)), executable_(std::move(executable)) {}

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One argument of an Exec line. An argument with a reserved character is quoted, and inside
// the quotes the double quote, backtick, dollar sign and backslash get a backslash each.
std::string execArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#`()";
    if (!argument.empty() && argument.find_first_of(reserved) == std::string::npos) return argument;
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// The Exec value as written to the file: a literal percent sign doubled (a single one starts a
// field code), then the escapes of every string value, which are undone before the quoting is.
std::string execValue(const std::string& commandLine) {
    std::string value;
    for (char c : commandLine) {
        switch (c) {
        case '%': value += "%%"; break;
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

} // namespace

fs::path XdgAutostartService::defaultConfigHome(const AppPaths::EnvironmentLookup& environment) {
    if (auto xdg = environment("XDG_CONFIG_HOME"); xdg && fs::path(*xdg).is_absolute()) return *xdg;
    auto home = AppPaths::homeDirectory(environment);
    if (!home) throw std::runtime_error("no home folder: neither XDG_CONFIG_HOME nor HOME names an absolute path");
    return fs::path(*home) / ".config";
}

fs::path XdgAutostartService::defaultConfigHome() {
    return defaultConfigHome(AppPaths::processEnvironment());
}

bool XdgAutostartService::entryEnablesItem(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string content = trimmed(line);
        if (content.empty() || content.front() == '#') continue;
        if (content.front() == '[') {
            inMainGroup = content == "[Desktop Entry]";
            continue;
        }
        const auto equals = content.find('=');
        if (!inMainGroup || equals == std::string::npos) continue;
        // Space around the equals sign is allowed and ignored.
        const std::string key = trimmed(content.substr(0, equals));
        const std::string value = trimmed(content.substr(equals + 1));
        if (key == "Hidden" && value == "true") return false;
        if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
    }
    return true;
}

LoginItemService::Status XdgAutostartService::status() const {
    std::optional<std::string> text;
    try {
        text = readFileIfExists(entryPath());
    } catch (const std::exception&) {
        return Status::notRegistered;
    }
    if (!text) return Status::notRegistered;
    return entryEnablesItem(*text) ? Status::enabled : Status::notRegistered;
}

std::string XdgAutostartService::entryText(const fs::path& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kestrine\n"
           "Comment=Switch between Dock presets\n"
           "Exec=" + execValue(execArgument(executable.string()) + " " + CommandLine::loginItemArgument) + "\n"
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
