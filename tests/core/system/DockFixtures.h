#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/dock/DockController.h"
#include "core/dock/DockTile.h"
#include "core/model/PresetApp.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

namespace kestrine::testing {

// MARK: - Tiles and applications

/// A Dock tile as the Dock writes one: identity from the bundle id, a GUID, an opaque
/// "book" blob and a key the engine never reads.
inline plist::Dictionary appTile(const std::string& bundleID, std::int64_t guid) {
    plist::Dictionary fileData{{"_CFURLString", plist::Value("file:///Applications/" + bundleID + ".app/")},
                               {"_CFURLStringType", plist::Value(15)}};
    plist::Data book{'b', 'o', 'o', 'k', static_cast<std::uint8_t>(guid), static_cast<std::uint8_t>(guid >> 8), 0, 0xff};
    plist::Dictionary tileData{{"bundle-identifier", plist::Value(bundleID)}, {"file-label", plist::Value(bundleID)},
                               {"file-data", plist::Value(fileData)}, {"book", plist::Value(book)},
                               {"file-mod-date", plist::Value(std::int64_t{3712345678})}};
    return {{"GUID", plist::Value(guid)}, {"tile-type", plist::Value("file-tile")}, {"tile-data", plist::Value(tileData)}};
}

/// A tile without identity (a spacer).
inline plist::Dictionary spacerTile(std::int64_t guid) {
    return {{"GUID", plist::Value(guid)}, {"tile-type", plist::Value("spacer-tile")}};
}

inline PresetApp app(const std::string& bundleID) {
    return PresetApp(bundleID, "/Applications/" + bundleID + ".app", bundleID);
}

inline std::vector<PresetApp> apps(std::initializer_list<const char*> ids) {
    std::vector<PresetApp> out;
    for (auto id : ids) out.push_back(app(id));
    return out;
}

/// Identities of the tiles, "?" for a tile without one.
inline std::vector<std::string> tileIDs(const std::vector<DockTile>& tiles) {
    std::vector<std::string> out;
    for (auto& t : tiles) out.push_back(t.identity().value_or("?"));
    return out;
}

inline std::vector<std::string> appIDs(const std::vector<PresetApp>& list) {
    std::vector<std::string> out;
    for (auto& a : list) out.push_back(a.id);
    return out;
}

// MARK: - Recording fakes of the four ports

struct FakeFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// One log shared by the four fakes; a call told to fail throws FakeFailure each time.
struct CallLog {
    std::vector<std::string> calls;
    std::set<std::string> failing;

    void failOn(const std::string& call) { failing.insert(call); }
    void clearFailures() { failing.clear(); }
    void clear() { calls.clear(); }
    void record(const std::string& call) {
        calls.push_back(call);
        if (failing.count(call)) throw FakeFailure(call + " failed");
    }
};

/// What the fakes hold: the Dock's domain, the backups, the restarts and the state file.
struct FakeSystem {
    CallLog log;
    plist::Dictionary dock;
    std::vector<plist::Dictionary> backups;
    std::optional<plist::Dictionary> original;
    int restarts = 0;
    AppState savedState;
    int saves = 0;

    void setDock(const std::vector<plist::Dictionary>& tiles) {
        dock["persistent-apps"] = plist::Value(plist::Array(tiles.begin(), tiles.end()));
    }
    std::vector<DockTile> dockTiles() const {
        std::vector<DockTile> out;
        if (auto it = dock.find("persistent-apps"); it != dock.end() && it->second.array())
            for (auto& v : *it->second.array()) out.emplace_back(*v.dictionary());
        return out;
    }
};

/// The four ports over one FakeSystem: each call is logged first and may be told to fail.
class FakePorts : public DockPreferencesStore, public DockRestarter, public DockBackupStore, public StateStorage {
public:
    explicit FakePorts(std::shared_ptr<FakeSystem> system) : s_(std::move(system)) {}
    std::vector<plist::Dictionary> persistentApps() override {
        s_->log.record("persistentApps");
        std::vector<plist::Dictionary> out;
        for (auto& tile : s_->dockTiles()) out.push_back(tile.raw());
        return out;
    }
    void setPersistentApps(const std::vector<plist::Dictionary>& tiles) override {
        s_->log.record("setPersistentApps");
        s_->setDock(tiles);
    }
    std::optional<bool> showRecents() override {
        s_->log.record("showRecents");
        if (auto v = s_->dock.find("show-recents"); v != s_->dock.end() && v->second.boolean()) return *v->second.boolean();
        return std::nullopt;
    }
    void setShowRecents(bool visible) override {
        s_->log.record("setShowRecents");
        s_->dock["show-recents"] = plist::Value(visible);
    }
    plist::Dictionary snapshot() override {
        s_->log.record("snapshot");
        plist::Dictionary out;
        for (auto key : {"persistent-apps", "persistent-others", "show-recents"})
            if (auto it = s_->dock.find(key); it != s_->dock.end()) out.emplace(key, it->second);
        out.try_emplace("show-recents", plist::Value(true));
        return out;
    }
    void restore(const plist::Dictionary& snapshot) override {
        s_->log.record("restore");
        for (auto key : {"persistent-apps", "persistent-others"}) {
            if (auto it = snapshot.find(key); it != snapshot.end()) s_->dock[key] = it->second;
            else s_->dock.erase(key);
        }
        if (auto it = snapshot.find("show-recents"); it != snapshot.end() && it->second.boolean())
            s_->dock["show-recents"] = it->second;
    }
    void restart() override {
        s_->log.record("restart");
        ++s_->restarts;
    }
    void saveBackup(const plist::Dictionary& snapshot) override {
        s_->log.record("saveBackup");
        if (!s_->original) s_->original = snapshot;
        s_->backups.push_back(snapshot);
    }
    std::optional<plist::Dictionary> loadOriginal() override {
        s_->log.record("loadOriginal");
        return s_->original;
    }
    AppState load() override {
        s_->log.record("load");
        return s_->savedState;
    }
    void save(const AppState& state) override {
        s_->log.record("save");
        s_->savedState = state;
        ++s_->saves;
    }

private:
    std::shared_ptr<FakeSystem> s_;
};
using FakePreferences = FakePorts;
using FakeRestarter = FakePorts;
using FakeBackups = FakePorts;
using FakeStorage = FakePorts;

inline std::shared_ptr<DockController> makeController(const std::shared_ptr<FakeSystem>& system) {
    return std::make_shared<DockController>(std::make_unique<FakePorts>(system), std::make_unique<FakePorts>(system),
                                            std::make_unique<FakePorts>(system), std::make_unique<FakePorts>(system));
}

/// The error of type E that f throws, none when it throws none.
template <class E, class F>
std::optional<E> thrown(F&& f) {
    try {
        f();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

inline Preset makePreset(std::string id, std::string name, std::vector<PresetApp> list = {}, bool isDefault = false,
                         std::optional<std::string> emoji = std::nullopt) {
    return {std::move(id), std::move(name), std::move(emoji), std::move(list), isDefault, std::nullopt};
}

// MARK: - Real files and processes

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
    return value.dictionary() ? *value.dictionary() : plist::Dictionary{{"not a dictionary", value}};
}

inline void writeDictionary(const std::filesystem::path& file, const plist::Dictionary& dictionary) {
    writeFileAtomically(file, plist::toBinary(plist::Value(dictionary)));
}

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
