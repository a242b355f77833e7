#include "app/platform/linux/DockDetection.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

namespace kestrine::DockDetection {
namespace {

std::string readSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(64 * 1024, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// The dock name Plank was started with: "-n NAME", "--name NAME", "--name=NAME" or "-nNAME".
std::string plankDockName(const std::string& cmdline) {
    std::vector<std::string> arguments;
    std::string::size_type start = 0;
    while (start < cmdline.size()) {
        auto end = cmdline.find('\0', start);
        if (end == std::string::npos) end = cmdline.size();
        arguments.push_back(cmdline.substr(start, end - start));
        start = end + 1;
    }
    std::string name = "dock1";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if ((argument == "-n" || argument == "--name") && i + 1 < arguments.size()) {
            name = arguments[++i];
        } else if (argument.rfind("--name=", 0) == 0) {
            name = argument.substr(7);
        } else if (argument.size() > 2 && argument.rfind("-n", 0) == 0 && argument[2] != '-') {
            name = argument.substr(2);
        }
    }
    // A name that could not be a dock of ours (empty, a path) reads as Plank's default dock.
    const auto parsed = DockChoice::parse("plank:" + name);
    return parsed ? parsed->plankDock : "dock1";
}

} // namespace

DockChoice choose(const Facts& facts) {
    if (facts.runningPlank) return DockChoice::plank(*facts.runningPlank);
    if (namesGnome(facts.currentDesktop) && facts.gnomeSchemaInstalled) return DockChoice::gnome();
    return DockChoice::file();
}

bool namesGnome(std::string_view currentDesktop) {
    std::size_t start = 0;
    while (start <= currentDesktop.size()) {
        std::size_t end = currentDesktop.find(':', start);
        if (end == std::string_view::npos) end = currentDesktop.size();
        const std::string_view name = currentDesktop.substr(start, end - start);
        if (name.size() == 5 && std::equal(name.begin(), name.end(), "GNOME", [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == b;
            }))
            return true;
        start = end + 1;
    }
    return false;
}

std::optional<std::string> runningPlank(uid_t uid, const std::filesystem::path& procRoot) {
    std::error_code error;
    std::filesystem::directory_iterator it(procRoot, error), end;
    for (; !error && it != end; it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        std::string comm = readSmallFile(it->path() / "comm");
        if (!comm.empty() && comm.back() == '\n') comm.pop_back();
        if (comm != "plank") continue;
        struct stat info {};
        if (::stat(it->path().c_str(), &info) != 0 || info.st_uid != uid) continue;
        return plankDockName(readSmallFile(it->path() / "cmdline"));
    }
    return std::nullopt;
}

bool schemaInstalled(const char* schemaID) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return false;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaID, TRUE);
    if (!schema) return false;
    g_settings_schema_unref(schema);
    return true;
}

DockChoice detect(const AppPaths::EnvironmentLookup& environment) {
    Facts facts;
    facts.runningPlank = runningPlank(::getuid());
    facts.currentDesktop = environment("XDG_CURRENT_DESKTOP").value_or("");
    // Only asked when it matters: looking up schemas reads the compiled schema files.
    facts.gnomeSchemaInstalled = !facts.runningPlank && namesGnome(facts.currentDesktop) &&
                                 schemaInstalled("org.gnome.shell");
    return choose(facts);
}

} // namespace kestrine::DockDetection
