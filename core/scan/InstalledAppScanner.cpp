#include "core/scan/InstalledAppScanner.h"

#include "core/plist/PlistCoding.h"
#include "core/support/Unicode.h"

#include <unicode/locid.h>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <utility>

namespace kestrine {
namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string name;
    unsigned char type; // d_type as reported by the file system
};

bool hasAppExtension(std::string_view name) {
    if (name.size() < 4) return false;
    auto tail = name.substr(name.size() - 4);
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return tail[0] == '.' && lower(tail[1]) == 'a' && lower(tail[2]) == 'p' && lower(tail[3]) == 'p';
}

// An entry counts as a bundle by its name alone: a visible name whose extension is "app".
// The name ".app" has no extension (it is a hidden file named "app").
bool isBundleName(std::string_view name) {
    return name.size() > 4 && name.front() != '.' && hasAppExtension(name);
}

// The visible direct entries of `folder`, sorted by name; nothing when it cannot be listed.
std::vector<Entry> listVisible(const fs::path& folder) {
    std::vector<Entry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue; // hidden, and "." and ".."
        entries.push_back(Entry{entry->d_name, entry->d_type});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

// Whether an entry is a folder, following symbolic links. A link that cannot be
// resolved (dangling, or part of a loop) is not a folder.
bool isFolder(const fs::path& folder, const Entry& entry) {
    if (entry.type == DT_DIR) return true;
    if (entry.type != DT_LNK && entry.type != DT_UNKNOWN) return false;
    struct stat info {};
    return ::stat((folder / entry.name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Reads a regular file of at most `limit` bytes. Refuses anything else (folders, pipes,
// devices) without blocking on it.
std::optional<std::string> readSmallRegularFile(const fs::path& path, std::size_t limit) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > limit) return std::nullopt;

    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1); // one spare byte notices growth
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > limit) return std::nullopt;
            bytes.resize(std::min(limit + 1, bytes.size() * 2));
        }
        ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    if (used > limit) return std::nullopt;
    bytes.resize(used);
    return bytes;
}

bool holdsTrue(const plist::Dictionary& info, const std::string& key) {
    auto it = info.find(key);
    if (it == info.end()) return false;
    const bool* flag = it->second.boolean();
    return flag && *flag;
}

std::string lastPathComponent(const fs::path& path) {
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    if (text == "/") return text;
    auto slash = text.rfind('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

// The collation locale for names: the user's. ICU takes the C and POSIX locales for
// en_US_POSIX, whose collation orders by code point with case significant; names are
// then ordered by the root collation, which ignores case like any other.
std::string nameCollationLocale() {
    const icu::Locale& locale = icu::Locale::getDefault();
    return std::strcmp(locale.getVariant(), "POSIX") == 0 ? "root" : "";
}

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return fs::path(home);
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return fs::path(found->pw_dir);
    return {};
}

} // namespace

InstalledAppScanner::InstalledAppScanner(std::vector<fs::path> roots, DisplayName displayName)
    : roots(std::move(roots)), displayName(std::move(displayName)) {}

std::vector<fs::path> InstalledAppScanner::findBundles(const fs::path& root) {
    std::vector<fs::path> bundles;
    for (const Entry& entry : listVisible(root)) {
        if (isBundleName(entry.name)) {
            bundles.push_back(root / entry.name);
            continue;
        }
        if (!isFolder(root, entry)) continue;
        fs::path folder = root / entry.name;
        for (const Entry& inner : listVisible(folder))
            if (isBundleName(inner.name)) bundles.push_back(folder / inner.name);
    }
    return bundles;
}

plist::Dictionary InstalledAppScanner::readInfo(const fs::path& bundle) {
    try {
        auto bytes = readSmallRegularFile(bundle / "Contents" / "Info.plist", maxInfoPlistBytes);
        if (!bytes) return {};
        plist::Value value = plist::parse(*bytes);
        if (auto* dictionary = value.dictionary()) return std::move(*dictionary);
    } catch (...) {
        // Malformed or unexpected content reads as an empty dictionary.
    }
    return {};
}

std::vector<PresetApp> InstalledAppScanner::scan(std::stop_token stop) const {
    try {
        std::vector<PresetApp> apps;
        std::unordered_set<std::string> seen;
        for (const fs::path& given : roots) {
            if (stop.stop_requested()) return {};
            std::error_code ec;
            fs::path root = given.is_absolute() ? given : fs::absolute(given, ec);
            if (ec) continue;
            for (const fs::path& bundle : findBundles(root)) {
                if (stop.stop_requested()) return {};
                try {
                    plist::Dictionary info = readInfo(bundle);
                    if (holdsTrue(info, "LSUIElement") || holdsTrue(info, "LSBackgroundOnly")) continue;
                    std::optional<std::string> identifier;
                    if (auto it = info.find("CFBundleIdentifier"); it != info.end() && it->second.string())
                        identifier = *it->second.string();
                    std::string name = displayName ? displayName(bundle, info) : defaultDisplayName(bundle, info);
                    PresetApp app = PresetApp::make(identifier, bundle.string(), std::move(name));
                    if (seen.insert(app.id).second) apps.push_back(std::move(app));
                } catch (...) {
                    // A bundle that cannot be described is passed over.
                }
            }
        }
        if (stop.stop_requested()) return {}; // a stop during the last bundle
        NameCollator collator(nameCollationLocale());
        std::sort(apps.begin(), apps.end(), [&collator](const PresetApp& a, const PresetApp& b) {
            int order = collator.compare(a.name, b.name);
            return order != 0 ? order < 0 : a.id < b.id;
        });
        return apps;
    } catch (...) {
        // Only resource exhaustion gets here; the scan reports nothing rather than fail.
        return {};
    }
}

std::string InstalledAppScanner::defaultDisplayName(const fs::path& bundle, const plist::Dictionary& info) {
    const std::string last = lastPathComponent(bundle);
    std::string name = last;
    if (hasAppExtension(name)) name.resize(name.size() - 4);
    if (!name.empty()) return name;
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
        auto it = info.find(key);
        if (it != info.end() && it->second.string() && !it->second.string()->empty()) return *it->second.string();
    }
    return fs::path(last).stem().string();
}

std::vector<fs::path> InstalledAppScanner::defaultRoots() { return defaultRoots(homeFolder()); }

std::vector<fs::path> InstalledAppScanner::defaultRoots(const fs::path& home) {
    std::vector<fs::path> roots{"/Applications"};
    if (!home.empty()) roots.push_back(home / "Applications");
    roots.push_back("/System/Applications");
    roots.push_back("/System/Applications/Utilities");
    return roots;
}

} // namespace kestrine
