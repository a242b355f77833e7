#include "core/scan/InstalledAppScanner.h"

#include "core/plist/PlistCoding.h"
#include "core/support/Unicode.h"

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

// An open file descriptor, closed on scope exit.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

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

// Opens `name` inside the folder `at` as a folder, following symbolic links. Fails for
// anything that is not a folder, for links that resolve to nothing or loop, and for
// folders that cannot be read.
int openFolder(int at, const char* name) {
    return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
}

// The visible direct entries of the open folder `fd` (which this takes over), sorted by
// name; nothing when it cannot be listed.
std::vector<Entry> listVisible(int fd) {
    std::vector<Entry> entries;
    if (fd < 0) return entries;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return entries;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue; // hidden, and "." and ".."
        entries.push_back(Entry{entry->d_name, entry->d_type});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

// The bundles of the open root folder, as paths relative to it, in scan order: the root's
// visible entries by name, a folder's bundles taking the folder's place.
std::vector<std::string> findBundles(int root) {
    std::vector<std::string> bundles;
    for (const Entry& entry : listVisible(::dup(root))) {
        if (isBundleName(entry.name)) {
            bundles.push_back(entry.name);
            continue;
        }
        // Only what may be a folder is opened; the open itself tells.
        if (entry.type != DT_DIR && entry.type != DT_LNK && entry.type != DT_UNKNOWN) continue;
        for (const Entry& inner : listVisible(openFolder(root, entry.name.c_str())))
            if (isBundleName(inner.name)) bundles.push_back(entry.name + '/' + inner.name);
    }
    return bundles;
}

// Reads a regular file of at most `limit` bytes, `path` taken relative to the folder
// `at`. Refuses anything else (folders, pipes, devices) without blocking on it.
std::optional<std::string> readSmallRegularFile(int at, const char* path, std::size_t limit) {
    FileDescriptor fd(::openat(at, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > limit) return std::nullopt;

    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1); // one spare byte notices growth
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > limit) return std::nullopt;
            bytes.resize(std::min(limit + 1, bytes.size() * 2));
        }
        const std::size_t wanted = bytes.size() - used;
        ssize_t n = ::read(fd.get(), bytes.data() + used, wanted);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        used += static_cast<std::size_t>(n);
        // A regular file returns less than asked only at its end.
        if (n == 0 || static_cast<std::size_t>(n) < wanted) break;
    }
    if (used > limit) return std::nullopt;
    bytes.resize(used);
    return bytes;
}

plist::Dictionary readInfoAt(int at, const std::string& infoPath) {
    try {
        auto bytes = readSmallRegularFile(at, infoPath.c_str(), InstalledAppScanner::maxInfoPlistBytes);
        if (!bytes) return {};
        return InstalledAppScanner::infoFromBytes(*bytes);
    } catch (...) {
        return {}; // out of memory: nothing could be read
    }
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

plist::Dictionary InstalledAppScanner::infoFromBytes(std::string_view bytes) noexcept {
    try {
        plist::Value value = plist::parse(bytes);
        plist::Dictionary* all = value.dictionary();
        plist::Dictionary picked;
        if (!all) return picked;
        for (std::string_view key : infoKeys)
            if (auto it = all->find(std::string(key)); it != all->end()) picked.insert(std::move(*it));
        return picked;
    } catch (...) {
        return {}; // malformed, or out of memory: nothing could be read
    }
}

std::vector<PresetApp> InstalledAppScanner::scan(std::stop_token stop) const {
    try {
        std::vector<PresetApp> apps;
        std::unordered_set<std::string> seen;
        for (const fs::path& given : roots) {
            if (stop.stop_requested()) return {};
            std::error_code ec;
            std::string root = (given.is_absolute() ? given : fs::absolute(given, ec)).string();
            if (ec) continue;
            while (root.size() > 1 && root.back() == '/') root.pop_back();
            FileDescriptor rootFolder(openFolder(AT_FDCWD, root.c_str()));
            if (rootFolder.get() < 0) continue; // missing or unreadable: contributes nothing
            if (root == "/") root.clear();      // so that root + "/" + name is a clean path
            for (const std::string& relative : findBundles(rootFolder.get())) {
                if (stop.stop_requested()) return {};
                try {
                    plist::Dictionary info = readInfoAt(rootFolder.get(), relative + "/Contents/Info.plist");
                    if (holdsTrue(info, "LSUIElement") || holdsTrue(info, "LSBackgroundOnly")) continue;
                    std::optional<std::string> identifier;
                    if (auto it = info.find("CFBundleIdentifier"); it != info.end() && it->second.string())
                        identifier = *it->second.string();
                    std::string path = root + '/' + relative;
                    const fs::path bundle(path);
                    std::string name = displayName ? displayName(bundle, info) : defaultDisplayName(bundle, info);
                    PresetApp app = PresetApp::make(identifier, std::move(path), std::move(name));
                    if (seen.insert(app.id).second) apps.push_back(std::move(app));
                } catch (...) {
                    // A bundle that cannot be described is passed over.
                }
            }
        }
        if (stop.stop_requested()) return {}; // a stop during the last bundle
        sortByName(apps);
        return apps;
    } catch (...) {
        // Only resource exhaustion gets here; the scan reports nothing rather than fail.
        return {};
    }
}

void InstalledAppScanner::sortByName(std::vector<PresetApp>& apps) {
    // Listing order is already close to name order, which a merge sort turns into far
    // fewer (costly) collator comparisons than a quicksort.
    NameCollator collator;
    std::stable_sort(apps.begin(), apps.end(), [&collator](const PresetApp& a, const PresetApp& b) {
        int order = collator.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.id < b.id;
    });
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
