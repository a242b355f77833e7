#include "app/platform/linux/DockDetection.h"

#include "app/platform/linux/GSettingsList.h"
#include "app/platform/linux/plank/PlankRestarter.h"

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

// The dock name Plank was started with, as the restarter reads it.
std::string plankDockName(const std::string& cmdline) {
    const std::string name = PlankRestarter::dockOf(PlankRestarter::splitCommandLine(cmdline));
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

DockChoice detect(const AppPaths::EnvironmentLookup& environment) {
    Facts facts;
    facts.runningPlank = runningPlank(::getuid());
    facts.currentDesktop = environment("XDG_CURRENT_DESKTOP").value_or("");
    // Only asked when it matters: looking up schemas reads the compiled schema files.
    facts.gnomeSchemaInstalled = !facts.runningPlank && namesGnome(facts.currentDesktop) &&
                                 GSettingsList::schemaInstalled("org.gnome.shell");
    return choose(facts);
}

} // namespace kestrine::DockDetection
