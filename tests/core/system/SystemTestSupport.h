#pragma once

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/plist/PlistCoding.h"
#include "core/system/DockRestarter.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

namespace kestrine::testing {

/// Sets TZ for the lifetime of the object.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_) ::setenv("TZ", old_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> old_;
};

/// A clock that moves only when told to.
struct ManualClock {
    std::chrono::system_clock::time_point now;
    std::chrono::system_clock::time_point operator()() const { return now; }
};

/// 2024-03-05 07:08:09.045 UTC.
inline std::chrono::system_clock::time_point sampleMoment() {
    using namespace std::chrono;
    return sys_days{year{2024} / 3 / 5} + hours{7} + minutes{8} + seconds{9} + milliseconds{45};
}

inline plist::Dictionary readDictionary(const std::filesystem::path& file) {
    auto value = plist::parse(readFile(file));
    if (!value.dictionary()) throw std::runtime_error("not a dictionary: " + file.string());
    return *value.dictionary();
}

inline void writeDictionary(const std::filesystem::path& file, const plist::Dictionary& dictionary) {
    writeFileAtomically(file, plist::toBinary(plist::Value(dictionary)));
}

/// Counts restarts instead of ending a process.
struct CountingRestarter : DockRestarter {
    explicit CountingRestarter(std::shared_ptr<int> count) : count(std::move(count)) {}
    std::shared_ptr<int> count;
    void restart() override { ++*count; }
};

/// A Dock domain holding these tiles, a folder tile on the other side and keys of its own.
inline plist::Dictionary dockWith(const std::vector<plist::Dictionary>& tiles) {
    using plist::Value;
    return {{"persistent-apps", Value(plist::Array(tiles.begin(), tiles.end()))},
            {"persistent-others", Value(plist::Array{Value(plist::Dictionary{{"tile-type", Value("directory-tile")}})})},
            {"tilesize", Value(51.0)},
            {"mod-count", Value(412)},
            {"trash-full", Value(true)}};
}

} // namespace kestrine::testing
