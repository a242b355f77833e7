#include "core/system/FileDockBackupStore.h"

#include <algorithm>

#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
namespace fs = std::filesystem;

namespace {

bool somethingAt(const fs::path& path) {
    std::error_code ec;
    auto status = fs::symlink_status(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) throw fs::filesystem_error("cannot inspect file", path, ec);
    return fs::exists(status);
}

std::optional<plist::Dictionary> loadDictionary(const fs::path& path) {
    auto value = plist::parse(readFile(path));
    if (auto dictionary = value.dictionary()) return std::move(*dictionary);
    return std::nullopt;
}

} // namespace

FileDockBackupStore::FileDockBackupStore(fs::path directory, std::int64_t maxHistory, WallClock clock)
    : directory(std::move(directory)), maxHistory(maxHistory), clock(std::move(clock)) {}

void FileDockBackupStore::saveBackup(const plist::Dictionary& snapshot) {
    fs::create_directories(directory);
    const std::string bytes = plist::toXML(plist::Value(snapshot));

    const fs::path original = directory / originalName;
    if (!somethingAt(original)) writeFileAtomically(original, bytes);

    writeFileAtomically(directory / ("dock-" + localTimeStamp(clock()) + ".plist"), bytes);

    auto files = history();
    if (static_cast<std::int64_t>(files.size()) <= maxHistory) return;
    auto excess = static_cast<std::size_t>(static_cast<std::int64_t>(files.size()) - std::max<std::int64_t>(maxHistory, 0));
    for (std::size_t i = 0; i < excess; ++i) {
        std::error_code ignored;
        fs::remove(files[i], ignored);
    }
}

std::optional<plist::Dictionary> FileDockBackupStore::loadOriginal() {
    const fs::path original = directory / originalName;
    if (!somethingAt(original)) return std::nullopt;
    return loadDictionary(original);
}

std::optional<plist::Dictionary> FileDockBackupStore::loadLatest() const {
    auto files = history();
    if (files.empty()) return std::nullopt;
    return loadDictionary(files.back());
}

std::vector<fs::path> FileDockBackupStore::history() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const fs::path& path = entry.path();
        std::string name = path.filename().string();
        if (name.rfind("dock-", 0) == 0 && path.extension() == ".plist") files.push_back(path);
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return files;
}

} // namespace kestrine
