#include "core/system/PlistFileDomain.h"

#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
namespace fs = std::filesystem;

PlistFileDomain::PlistFileDomain(fs::path file, WallClock clock)
    : file_(std::move(file)), clock_(std::move(clock)) {
    reread();
}

std::optional<plist::Value> PlistFileDomain::copyValue(const std::string& key) const {
    if (auto change = pending_.find(key); change != pending_.end()) return change->second;
    auto it = disk_.find(key);
    if (it == disk_.end()) return std::nullopt;
    return it->second;
}

void PlistFileDomain::setValue(const std::string& key, std::optional<plist::Value> value) {
    pending_.insert_or_assign(key, std::move(value));
}

void PlistFileDomain::reread() {
    std::optional<std::string> bytes;
    try {
        bytes = readFileIfExists(file_);
    } catch (const fs::filesystem_error&) {
        state_ = FileState::inaccessible;
        bytes_.clear();
        disk_.clear();
        return;
    }
    if (!bytes) {
        state_ = FileState::missing;
        bytes_.clear();
        disk_.clear();
        return;
    }
    const bool known = state_ == FileState::readable || state_ == FileState::unreadable;
    if (known && *bytes == bytes_) return; // unchanged since the last read or write

    bytes_ = std::move(*bytes);
    disk_.clear();
    state_ = FileState::unreadable;
    try {
        auto value = plist::parse(bytes_);
        if (auto dictionary = value.dictionary()) {
            disk_ = std::move(*dictionary);
            state_ = FileState::readable;
        }
    } catch (const plist::PlistError&) {
    }
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
    reread();
    if (pending_.empty()) return state_ != FileState::inaccessible;

    auto pending = std::move(pending_);
    pending_.clear();
    // Whatever cannot be read must not be written over.
    if (state_ == FileState::inaccessible) return false;

    plist::Dictionary merged = disk_;
    for (auto& [key, value] : pending) {
        if (value) merged.insert_or_assign(key, std::move(*value));
        else merged.erase(key);
    }
    bool unchanged = state_ == FileState::readable ? merged == disk_ : state_ == FileState::missing && merged.empty();
    if (unchanged) return true;

    try {
        std::string bytes = plist::toBinary(plist::Value(merged));
        if (state_ == FileState::unreadable) keepUnreadableCopy(bytes_);
        writeFileAtomically(file_, bytes);
        bytes_ = std::move(bytes);
    } catch (const std::exception&) {
        return false;
    }
    disk_ = std::move(merged);
    state_ = FileState::readable;
    return true;
}

} // namespace kestrine
