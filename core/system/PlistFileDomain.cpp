#include "core/system/PlistFileDomain.h"

#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
namespace fs = std::filesystem;

PlistFileDomain::PlistFileDomain(fs::path file, WallClock clock)
    : file_(std::move(file)), clock_(std::move(clock)) {
    values_ = readFile().values;
}

std::optional<plist::Value> PlistFileDomain::copyValue(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void PlistFileDomain::setValue(const std::string& key, std::optional<plist::Value> value) {
    if (value) values_.insert_or_assign(key, *value);
    else values_.erase(key);
    pending_.insert_or_assign(key, std::move(value));
}

PlistFileDomain::Contents PlistFileDomain::readFile() const {
    Contents contents;
    std::optional<std::string> bytes;
    try {
        bytes = readFileIfExists(file_);
    } catch (const fs::filesystem_error&) {
        contents.state = FileState::inaccessible;
        return contents;
    }
    if (!bytes) return contents;
    try {
        auto value = plist::parse(*bytes);
        if (auto dictionary = value.dictionary()) {
            contents.state = FileState::readable;
            contents.values = std::move(*dictionary);
            return contents;
        }
    } catch (const plist::PlistError&) {
    }
    contents.state = FileState::unreadable;
    contents.bytes = std::move(*bytes);
    return contents;
}

void PlistFileDomain::keepUnreadableCopy(const std::string& bytes) const {
    if (bytes.empty()) return; // an empty file holds nothing worth keeping
    std::string base = file_.filename().string() + ".unreadable-" + localTimeStamp(clock_());
    for (int attempt = 1;; ++attempt) {
        fs::path copy = file_.parent_path() / (attempt == 1 ? base : base + "-" + std::to_string(attempt));
        auto existing = readFileIfExists(copy);
        if (!existing) {
            writeFileAtomically(copy, bytes);
            return;
        }
        if (*existing == bytes) return; // already kept
    }
}

bool PlistFileDomain::synchronize() {
    Contents disk = readFile();
    if (pending_.empty()) {
        values_ = std::move(disk.values);
        return disk.state != FileState::inaccessible;
    }

    auto pending = std::move(pending_);
    pending_.clear();
    if (disk.state == FileState::inaccessible) {
        // Whatever is there cannot be read, so it must not be written over.
        values_.clear();
        return false;
    }

    plist::Dictionary merged = disk.values;
    for (auto& [key, value] : pending) {
        if (value) merged.insert_or_assign(key, std::move(*value));
        else merged.erase(key);
    }
    bool unchanged = disk.state == FileState::readable ? merged == disk.values
                                                       : disk.state == FileState::missing && merged.empty();
    if (unchanged) {
        values_ = std::move(merged);
        return true;
    }

    try {
        if (disk.state == FileState::unreadable) keepUnreadableCopy(disk.bytes);
        writeFileAtomically(file_, plist::toBinary(plist::Value(merged)));
    } catch (const std::exception&) {
        values_ = std::move(disk.values);
        return false;
    }
    values_ = std::move(merged);
    return true;
}

} // namespace kestrine
