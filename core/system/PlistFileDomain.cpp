#include "core/system/PlistFileDomain.h"

#include "core/plist/PlistCoding.h"
#include "core/plist/PlistScreen.h"
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
        notKeptWhole_ = nullptr;
        bytes_.clear();
        disk_.clear();
        return;
    }
    if (!bytes) {
        state_ = FileState::missing;
        notKeptWhole_ = nullptr;
        bytes_.clear();
        disk_.clear();
        return;
    }
    const bool known = state_ == FileState::readable || state_ == FileState::unreadable;
    if (known && *bytes == bytes_) return; // unchanged since the last read or write

    bytes_ = std::move(*bytes);
    disk_.clear();
    keptCopy_.reset();
    notKeptWhole_ = plist::valueNotKeptWhole(bytes_);
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

fs::path PlistFileDomain::keepUnreadableCopy() {
    if (keptCopy_) return *keptCopy_;
    std::string base = file_.filename().string() + ".unreadable-" + localTimeStamp(clock_());
    for (int attempt = 1;; ++attempt) {
        fs::path copy = file_.parent_path() / (attempt == 1 ? base : base + "-" + std::to_string(attempt));
        auto existing = readFileIfExists(copy);
        if (!existing) writeFileAtomically(copy, bytes_);
        else if (*existing != bytes_) continue;
        keptCopy_ = copy;
        return copy;
    }
}

std::optional<fs::path> PlistFileDomain::unreadableFile() {
    if (state_ == FileState::inaccessible) return file_;
    if (state_ != FileState::unreadable || bytes_.empty()) return std::nullopt;
    try {
        return keepUnreadableCopy();
    } catch (const std::exception&) {
        return file_;
    }
}

bool PlistFileDomain::synchronize() {
    reread();
    if (pending_.empty()) return state_ != FileState::inaccessible;

    auto pending = std::move(pending_);
    pending_.clear();
    // Whatever cannot be read must not be written over.
    if (state_ == FileState::inaccessible) {
        lastError_ = file_.string() + " cannot be read, so it is not written over";
        return false;
    }

    plist::Dictionary merged = disk_;
    for (auto& [key, value] : pending) {
        if (value) merged.insert_or_assign(key, std::move(*value));
        else merged.erase(key);
    }
    bool unchanged = state_ == FileState::readable ? merged == disk_ : state_ == FileState::missing && merged.empty();
    if (unchanged) return true;
    if (notKeptWhole_) {
        lastError_ = file_.string() + " holds " + notKeptWhole_ +
                     ", which cannot be written back unchanged; the file is left as it is";
        return false;
    }

    try {
        std::string bytes = plist::toBinary(plist::Value(merged));
        // An empty file holds nothing worth keeping.
        if (state_ == FileState::unreadable && !bytes_.empty()) keepUnreadableCopy();
        writeFileAtomically(file_, bytes);
        bytes_ = std::move(bytes);
        keptCopy_.reset();
    } catch (const std::exception& error) {
        lastError_ = file_.string() + ": " + error.what();
        return false;
    }
    disk_ = std::move(merged);
    state_ = FileState::readable;
    return true;
}

} // namespace kestrine
