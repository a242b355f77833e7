// Faults of the real file-backed ports under the controller that the step-order tests
// with fakes cannot show: a process killed in the middle of a save, Dock entries and
// preferences that are not what they should be. Each one must end in the error the
// operation reports, with every file holding either its old or its new content.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "SystemTestSupport.h"
#include "core/dock/OriginalDockUnreadableError.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

using Calls = std::vector<std::string>;

std::vector<PresetApp> manyApps(int count) {
    std::vector<PresetApp> list;
    for (int i = 0; i < count; ++i) list.push_back(app("com.example.app" + std::to_string(i)));
    return list;
}

/// The error `f` throws, or nothing when it returns.
template <typename Error, typename F>
std::optional<Error> caught(F&& f) {
    try {
        f();
    } catch (const Error& error) {
        return error;
    }
    return std::nullopt;
}

/// Names of the files in `folder`, sorted.
Calls entries(const fs::path& folder) {
    Calls names;
    for (auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Calls temporaryFiles(const fs::path& folder) {
    Calls names = entries(folder);
    std::erase_if(names, [](const std::string& name) { return name.find(".tmp-") == std::string::npos; });
    return names;
}

/// While it lives, writes to regular files stop at `bytes` with EFBIG, as on a full disk;
/// SIGXFSZ is ignored meanwhile so that the write fails instead of the process.
struct FileSizeLimit {
    rlimit old{};
    struct sigaction oldAction {};
    explicit FileSizeLimit(rlim_t bytes) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &oldAction);
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{bytes, old.rlim_max};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::sigaction(SIGXFSZ, &oldAction, nullptr);
    }
};

/// Runs `save(0)`, `save(1)`, … in a child that sends one byte down a pipe after each, and
/// kills it with SIGKILL once `completed` bytes have arrived and the parent has counted to
/// `spin`, wherever the child is then: a larger count lets it get further into a save.
void killDuringSaves(int completed, long spin, const std::function<void(int)>& save) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    std::fflush(stdout);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe[0]);
        for (int i = 0; i < 1000000; ++i) {
            try {
                save(i);
            } catch (...) {
                ::_exit(2);
            }
            const char done = 1;
            if (::write(pipe[1], &done, 1) != 1) ::_exit(3);
        }
        ::_exit(0);
    }
    ::close(pipe[1]);
    int received = 0;
    char buffer[64];
    while (received < completed) {
        ssize_t n = ::read(pipe[0], buffer, std::min<std::size_t>(sizeof buffer, completed - received));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        received += static_cast<int>(n);
    }
    for (volatile long counted = 0; counted < spin;) counted = counted + 1;
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(pipe[0]);
    EXPECT_EQ(received, completed) << "the saving child stopped early with status " << status;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
}

/// Rounds of killDuringSaves of `save`, which writes `a` and `b` to `file` by turns: after
/// each round the file holds exactly one of them and `parses` holds. Temporary files may be
/// left, named after `file`; returns how many.
std::size_t killRounds(const fs::path& file, const std::string& a, const std::string& b,
                       const std::function<void(int)>& save, const std::function<bool()>& parses) {
    EXPECT_GT(std::max(a.size(), b.size()), 50 * std::min(a.size(), b.size())) << "sizes far apart";
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        killDuringSaves(40 + 3 * round, long{round} << 20, save);
        const std::string bytes = readFile(file);
        EXPECT_TRUE(bytes == a || bytes == b) << bytes.size() << " bytes";
        EXPECT_TRUE(parses());
        for (const auto& name : temporaryFiles(file.parent_path()))
            EXPECT_EQ(name.rfind(file.filename().string() + ".tmp-", 0), 0u) << name;
    }
    return temporaryFiles(file.parent_path()).size();
}

class FaultsTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    fs::path config = home / "config";
    fs::path domain = config / "com.apple.dock.plist";
    fs::path support = home / "data/Kestrine";
    fs::path stateFile = support / "state.json";
    fs::path backups = support / "Backups";
    std::shared_ptr<int> restarts = std::make_shared<int>(0);
    // Every reading moves one second on, so that no two backups share a name.
    WallClock clock = [now = std::make_shared<std::chrono::system_clock::time_point>(sampleMoment())] {
        return *now += std::chrono::seconds(1);
    };

    std::unique_ptr<DockController> controller() {
        return std::make_unique<DockController>(
            std::make_unique<PlistFileDockStore>(domain, clock), std::make_unique<CountingRestarter>(restarts),
            std::make_unique<FileDockBackupStore>(backups, 20, clock), std::make_unique<JSONFileStateStorage>(stateFile));
    }
    /// A controller after its first start over a Dock holding `tiles`.
    std::unique_ptr<DockController> started(const std::vector<Dictionary>& tiles) {
        writeDictionary(domain, dockWith(tiles));
        auto c = controller();
        c->bootstrap("Home", "🏠");
        return c;
    }

    AppState savedState() { return JSONFileStateStorage(stateFile).load(); }
    Calls dockIDs() {
        std::vector<DockTile> tiles;
        for (auto& raw : PlistFileDockStore(domain).persistentApps()) tiles.emplace_back(raw);
        return tileIDs(tiles);
    }
    std::size_t historyCount() { return fs::exists(backups) ? FileDockBackupStore(backups, 20).history().size() : 0; }

    /// The file and a controller started afresh over the folders both hold `c`'s state.
    void expectStored(const DockController& c) {
        EXPECT_EQ(savedState(), c.state());
        EXPECT_EQ(controller()->state(), c.state());
    }
};

} // namespace

// MARK: - A process killed in the middle of a save

TEST_F(FaultsTest, StateFileKilledMidSaveHoldsOneWholeState) {
    AppState few, many;
    few.presets = {makePreset("default", "Home", apps({"a"}), true)};
    many = few;
    many.activePresetID = "p7";
    for (int i = 0; i < 300; ++i)
        many.presets.push_back(makePreset("p" + std::to_string(i), "Preset " + std::to_string(i), manyApps(3)));

    JSONFileStateStorage storage(stateFile);
    std::size_t left = killRounds(
        stateFile, JSONFileStateStorage::encode(few), JSONFileStateStorage::encode(many),
        [&](int i) { storage.save(i % 2 ? many : few); },
        [&] { AppState loaded = storage.load(); return loaded == few || loaded == many; });
    RecordProperty("temporaryFilesLeft", static_cast<int>(left));
    storage.save(few);
    EXPECT_EQ(controller()->state(), few);
}

TEST_F(FaultsTest, TemporaryFileOfAKilledWriterDoesNotStopTheNextSave) {
    AppState first, second;
    first.activePresetID = "first";
    second.presets = {makePreset("default", "Home", manyApps(20), true)};
    JSONFileStateStorage storage(stateFile);
    storage.save(first);
    // A forked child draws the same temporary names as this process: its first is this
    // process's next one. It is killed by SIGXFSZ in the middle of writing that file.
    std::fflush(stdout);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        FileSizeLimit small(16);
        ::signal(SIGXFSZ, SIG_DFL);
        storage.save(second);
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
    ASSERT_EQ(temporaryFiles(support).size(), 1u);
    EXPECT_EQ(storage.load(), first);

    storage.save(second);
    EXPECT_EQ(storage.load(), second);
    EXPECT_EQ(temporaryFiles(support).size(), 1u) << "the leftover is not touched";
}

// MARK: - Dock entries and preferences that are not what they should be

TEST_F(FaultsTest, DockEntryWhoseURLIsNotUTF8KeepsTheStateSavable) {
    struct Case {
        const char* url;
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"file:///Applications/Caf%E9%20Bar.app/", "/Applications/Caf%E9%20Bar.app", "Caf%E9%20Bar"},
        {"file:///Apps/%C0%AF.app/", "/Apps/%C0%AF.app", "%C0%AF"}, // an overlong "/"
        {"file:///Applications/Caf%C3%A9.app/", "/Applications/Caf\u00e9.app", "Caf\u00e9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        fs::remove_all(home / "config");
        fs::remove_all(home / "data");
        const Dictionary odd{{"tile-type", Value("file-tile")},
                             {"tile-data", Value(Dictionary{{"file-data", Value(Dictionary{{"_CFURLString", Value(c.url)},
                                                                                           {"_CFURLStringType", Value(15)}})}})}};
        auto k = started({appTile("a", 1), odd});
        ASSERT_EQ(k->state().presets.size(), 1u);
        expectStored(*k);
        const PresetApp found = k->state().presets[0].apps.at(1);
        EXPECT_EQ(found.id, std::string("url:") + c.url);
        EXPECT_EQ(found.path, c.path);
        EXPECT_EQ(found.name, c.name);
        EXPECT_EQ(DockTile::make(found).identity(), found.id) << "a tile made afresh is the same entry";

        // Taken out and put back: the very tile returns and the state saves throughout.
        const std::string justA = k->createPreset("Just a", std::nullopt, apps({"a"})).id;
        k->activate(justA);
        k->activate(Preset::defaultID);
        EXPECT_EQ(readDictionary(domain).at("persistent-apps"), Value(Array{Value(appTile("a", 1)), Value(odd)}));
        expectStored(*k);
    }
}

TEST_F(FaultsTest, OriginalTakenFromUnreadablePreferencesIsNeverRestoredAsAnEmptyDock) {
    const std::string good = plist::toBinary(Value(dockWith({appTile("a", 1), appTile("b", 2)})));
    struct Case {
        const char* name;
        std::string content;
        bool refused;
    };
    const Case cases[] = {
        {"truncated", good.substr(0, good.size() - 9), true},
        {"array at the top", plist::toXML(Value(Array{Value(appTile("a", 1))})), true},
        {"empty file: an empty Dock indeed", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home / "config");
        fs::remove_all(home / "data");
        writeFileAtomically(domain, c.content);
        auto k = controller();
        k->bootstrap("Home", "🏠");
        k->activate(k->createPreset("Mine", std::nullopt, apps({"x"})).id);
        ASSERT_EQ(dockIDs(), Calls{"x"});

        if (c.refused) {
            auto error = caught<OriginalDockUnreadableError>([&] { k->restoreOriginal(); });
            ASSERT_TRUE(error);
            EXPECT_EQ(readFile(error->keptFile()), c.content) << "the named file holds the unreadable preferences";
            EXPECT_NE(std::string(error->what()).find(error->keptFile()), std::string::npos);
            EXPECT_EQ(dockIDs(), Calls{"x"}) << "the Dock is not emptied";
            EXPECT_EQ(historyCount(), 1u) << "nothing was backed up for the refused restore";
        } else {
            EXPECT_TRUE(k->restoreOriginal());
            EXPECT_EQ(dockIDs(), Calls{});
        }
    }
}
