#include "core/plist/PlistCoding.h"
#include "core/scan/AppScanSession.h"
#include "core/scan/IconSizing.h"
#include "core/scan/InstalledAppScanner.h"
#include "core/scan/ThreadBackgroundExecutor.h"
#include "core/support/FileURL.h"
#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <unicode/locid.h>

#include <cmath>
#include <deque>
#include <fstream>
#include <future>

using namespace kestrine;
using Apps = std::vector<PresetApp>;
namespace fs = std::filesystem;
using plist::Value;

namespace {

// Holds jobs until the test runs them, each with a stop source of its own; or runs each at once.
struct ManualExecutor : BackgroundExecutor {
    std::deque<std::pair<Job, std::stop_source>> pending;
    bool refuse = false, atOnce = false;
    std::stop_source run(Job job) override {
        if (refuse) throw std::runtime_error("no thread available");
        auto source = pending.emplace_back(std::move(job), std::stop_source()).second;
        if (atOnce) runJob(pending.size() - 1);
        return source;
    }
    // Runs the job started `index`-th among those still waiting; returns its stop token.
    std::stop_token runJob(std::size_t index) {
        auto [job, source] = std::move(pending.at(index));
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(index));
        job(source.get_token());
        return source.get_token();
    }
};

// Puts back, when it goes, what a test changed for the whole process.
struct Restore {
    std::function<void()> undo;
    ~Restore() { undo(); }
};

PresetApp app(const std::string& name) { return PresetApp("id." + name, "/Applications/" + name + ".app", name); }

struct AppScanSessionTest : ::testing::Test {
    std::vector<Apps> results; // what the scans return, in the order they run
    std::size_t scans = 0;
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    std::deque<std::function<void()>> posted; // the main thread's queue
    int changes = 0;
    std::string ran; // per job run: "s" when its stop was requested, else "-"
    // Each scan returns the next result; once they run out, it throws.
    std::unique_ptr<AppScanSession> session = std::make_unique<AppScanSession>(
        [this](std::stop_token) { return scans < results.size() ? results[scans++] : throw std::runtime_error("disk gone"); }, executor,
        [this](std::function<void()> action) { executor->atOnce ? action() : posted.push_back(std::move(action)); });

    AppScanSessionTest() { session->onChange = [this] { ++changes; }; }
    // What the session shows, the changes it told of, the jobs waiting and the results posted.
    std::string state() const {
        std::string out = !session ? "gone" : session->isScanning() ? "scanning" : "idle";
        for (const auto& a : session ? session->apps() : Apps{}) out += " " + a.name;
        return out + " changes=" + std::to_string(changes) + " jobs=" + std::to_string(executor->pending.size()) +
               " posted=" + std::to_string(posted.size()) + " ran=" + ran;
    }
    // Each step: actions (start, release, run<job>, drain, refuse, accept, destroy), then the state after them.
    void steps(std::initializer_list<std::pair<const char*, const char*>> list) {
        for (auto [actions, expected] : list) {
            std::istringstream in(actions);
            for (std::string a; in >> a;) {
                if (a == "start") session->start();
                else if (a == "release") session->release();
                else if (a == "destroy") session.reset();
                else if (a == "refuse" || a == "accept") executor->refuse = a == "refuse";
                else if (a.starts_with("run")) ran += executor->runJob(std::stoul(a.substr(3))).stop_requested() ? "s" : "-";
                else if (a == "drain") for (; !posted.empty(); posted.pop_front()) posted.front()();
                else FAIL() << "no action " << a;
            }
            EXPECT_EQ(state(), expected) << actions;
        }
    }
};

TEST_F(AppScanSessionTest, StartScansOnceDeliversOnTheMainThreadAndHoldsAnyResultUntilReleased) {
    results = {{app("Safari"), app("Mail")}, {}};
    steps({{"start start", "scanning changes=1 jobs=1 posted=0 ran="},
           {"run0", "scanning changes=1 jobs=0 posted=1 ran=-"}, // nothing changes before the result reaches the main thread
           {"drain start", "idle Safari Mail changes=2 jobs=0 posted=0 ran=-"},
           {"release release", "idle changes=3 jobs=0 posted=0 ran=-"},
           {"start run0 drain start", "idle changes=5 jobs=0 posted=0 ran=--"}, // an empty result is held too
           {"release release", "idle changes=6 jobs=0 posted=0 ran=--"}}); // releasing it is visible, once
}

TEST_F(AppScanSessionTest, ReleaseDuringAScanStopsItAndItsResultIsIgnoredWhenEverItArrivesAsIsOneForASessionGone) {
    results = {{app("Old")}, {app("New")}, {app("Newer")}, {app("Stale")}, {app("Gone")}};
    steps({{"release", "idle changes=0 jobs=0 posted=0 ran="}, // nothing visible to release
           {"start release start", "scanning changes=3 jobs=2 posted=0 ran="},
           {"run0 drain", "scanning changes=3 jobs=1 posted=0 ran=s"}, // the stale result does not complete the new scan
           {"run0 drain", "idle New changes=4 jobs=0 posted=0 ran=s-"},
           // The other way round: the newer scan finishes first, the stale result arrives last.
           {"release start release start run1 drain run0 drain", "idle Newer changes=9 jobs=0 posted=0 ran=s--s"},
           // A session that is gone does not stop its scan, and nothing is delivered to it.
           {"release start destroy run0", "gone changes=11 jobs=0 posted=1 ran=s--s-"}, {"drain", "gone changes=11 jobs=0 posted=0 ran=s--s-"}});
}

TEST_F(AppScanSessionTest, AThrowingScanEndsWithNoAppsAndAnExecutorThatCannotStartLeavesTheSessionIdle) {
    steps({{"start run0 drain", "idle changes=2 jobs=0 posted=0 ran=-"},
           {"release refuse start", "idle changes=3 jobs=0 posted=0 ran=-"}, // only the release was visible
           {"accept start", "scanning changes=4 jobs=1 posted=0 ran=-"}});   // a later start tries again
}

TEST_F(AppScanSessionTest, OnChangeMayReleaseTheSessionItIsTold) {
    results = {{app("Books")}};
    session->onChange = [this] { ++changes, !session->isScanning() && !session->apps().empty() ? session->release() : void(); };
    steps({{"start run0 drain", "idle changes=3 jobs=0 posted=0 ran=-"}, {"start", "scanning changes=4 jobs=1 posted=0 ran=-"}});
}

TEST_F(AppScanSessionTest, ActionsRunningAtOnceStillLeaveAConsistentSession) {
    // An executor and a poster that both run at once deliver before start() returns.
    executor->atOnce = true;
    results = {{app("Now")}};
    std::vector<std::string> seen;
    session->onChange = [&] { seen.push_back(state()); };
    steps({{"start start", "idle Now changes=0 jobs=0 posted=0 ran="}});
    EXPECT_EQ(seen, std::vector<std::string>{"idle Now changes=0 jobs=0 posted=0 ran="});
}

TEST_F(AppScanSessionTest, ConstructionRejectsMissingParts) {
    EXPECT_THROW(AppScanSession(nullptr, executor, [](auto) {}), std::invalid_argument);
    EXPECT_THROW(AppScanSession(AppScanSession::installedApplications(), nullptr, [](auto) {}), std::invalid_argument);
    EXPECT_THROW(AppScanSession(AppScanSession::installedApplications(), executor, nullptr), std::invalid_argument);
}

TEST(ThreadBackgroundExecutorTest, RunsEachJobOnAThreadOfItsOwnAndOnDestructionStopsAndWaitsForThem) {
    std::promise<std::thread::id> ranOn;
    std::atomic<int> finished{0};
    auto executor = std::make_unique<ThreadBackgroundExecutor>();
    executor->run([](std::stop_token) { throw std::runtime_error("a failing job stays in its thread"); });
    executor->run([&](std::stop_token stop) {
        ranOn.set_value(std::this_thread::get_id());
        while (!stop.stop_requested()) std::this_thread::yield(); // ends only once a stop is requested
        ++finished;
    });
    EXPECT_NE(ranOn.get_future().get(), std::this_thread::get_id());
    executor.reset();
    EXPECT_EQ(finished.load(), 1);
}

plist::Dictionary identified(const std::string& identifier) { return {{"CFBundleIdentifier", Value(identifier)}}; }
std::string xml(const plist::Dictionary& info) { return plist::toXML(Value(info)); }
std::string binary(const plist::Dictionary& info) { return plist::toBinary(Value(info)); }

struct InstalledAppScannerTest : ::testing::Test {
    kestrine::testing::TempFolder temp;
    const fs::path& base = temp.path();

    // A bundle with these bytes as its information file, or none.
    void bundle(const std::string& relative, const std::optional<std::string>& info) {
        fs::create_directories(base / relative / "Contents");
        if (info) std::ofstream(base / relative / "Contents/Info.plist", std::ios::binary) << *info;
    }
    // Bundles with these identifiers; none: without an information file.
    void bundles(std::initializer_list<std::pair<std::string, const char*>> rows) {
        for (auto [relative, id] : rows) bundle(relative, id ? std::optional(xml(identified(id))) : std::nullopt);
    }
    static Apps scan(std::vector<fs::path> roots) { return InstalledAppScanner(roots, nullptr).scan({}); }
    // The apps' names and paths below the test's folder, in order.
    std::string listing(const Apps& apps) const {
        std::string out;
        for (const auto& app : apps) out += (out.empty() ? "" : " ") + app.name + "=" + fs::path(app.path).lexically_relative(base).string();
        return out;
    }
};

TEST_F(InstalledAppScannerTest, FindsReadableVisibleBundlesOnTwoLevelsIdentifiedByTheirInformationElseByURLLeavingOutAgents) {
    const std::string huge = "<huge>", pipe = "<fifo>", folderInfo = "<folder>", file = "<file>", url = "url";
    const std::string nul = std::string("<plist><dict><key>CFBundleIdentifier</key><string>a") + '\0' + "b</string></dict></plist>";
    const auto id = [](const char* id) { return xml(identified(id)); };
    const std::optional<std::string> none;
    // Each row: the bundle, its information file, and what it is listed as (nothing: left out).
    const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> rows[] = {
        {"Caps.APP", id("id.caps"), "id.caps"}, {"Utilities/Mixed.aPp", id("id.mixed"), "id.mixed"}, {"Outer.app", none, url},
        {"Deep/Deeper/Third.app", id("id.third"), none}, {"Outer.app/Contents/Applications/Inner.app", id("id.inner"), none},
        {"Document.apps", id("id.not-a-bundle"), none}, {".Hidden.app", id("id.hidden"), none},
        {".hidden-folder/InHidden.app", id("id.in-hidden"), none}, {"Utilities/.Secret.app", id("id.secret"), none},
        // Agents and background-only programs, by a true flag in either format.
        {"XmlAgent.app", xml({{"CFBundleIdentifier", Value("x.a")}, {"LSUIElement", Value(true)}}), none},
        {"BinAgent.app", binary({{"CFBundleIdentifier", Value("b.a")}, {"LSUIElement", Value(true)}}), none},
        {"Background.app", binary({{"CFBundleIdentifier", Value("b.bg")}, {"LSBackgroundOnly", Value(true)}}), none},
        {"NotAgent.app", xml({{"CFBundleIdentifier", Value("x.no")}, {"LSUIElement", Value(false)}}), "x.no"},
        {"StringAgent.app", xml({{"CFBundleIdentifier", Value("x.s")}, {"LSUIElement", Value("1")}}), "x.s"},
        {"NumberBackground.app", binary({{"CFBundleIdentifier", Value("b.n")}, {"LSBackgroundOnly", Value(1)}}), "b.n"},
        {"BinaryPlain.app", binary(identified("b.plain")), "b.plain"},
        // No usable identifier, or no usable information file: identified by the URL.
        {"写真.app", none, url}, {"Empty Id.app", id(""), url}, {"Empty.app", "", url},
        {"Number Id.app", xml({{"CFBundleIdentifier", Value(42)}}), url}, {"NulString.app", nul, url} /* a NUL would abort the library */,
        {"OddTypes.app", xml({{"CFBundleIdentifier", Value(plist::Array{Value("id.odd")})}, {"LSUIElement", Value(plist::Dictionary{})},
                              {"LSBackgroundOnly", Value(plist::Data{1})}}), url},
        // Far larger than any information file: not read. Not regular files; a pipe would block a plain read.
        {"Huge.app", huge, url}, {"FolderInfo.app", folderInfo, url}, {"Pipe.app", pipe, url},
        {"Sealed.app", id("id.sealed"), url},         // an information file that cannot be read counts as empty
        {"Locked/Inside.app", id("id.inside"), none}, // in a folder that cannot be read
        {"Plain.app", file, url}};                    // a file: the extension alone decides
    std::vector<PresetApp> expected;
    for (const auto& [relative, info, listed] : rows) {
        const fs::path path = base / "root" / relative, plist = path / "Contents/Info.plist";
        if (listed) expected.push_back(PresetApp(*listed == url ? "url:" + directoryFileURLString(path.string()) : *listed, path, fs::path(relative).stem()));
        if (info == file) std::ofstream(path) << "a file named like a bundle";
        else bundle("root/" + relative, info == huge ? id("id.huge") : info == pipe || info == folderInfo ? none : info);
        if (info == huge) fs::resize_file(plist, InstalledAppScanner::maxInfoPlistBytes + 1);
        if (info == folderInfo) fs::create_directory(plist);
        ASSERT_TRUE(info != pipe || ::mkfifo(plist.c_str(), 0644) == 0);
    }
    bundle("locked-root/Hidden.app", id("id.locked-root"));
    for (const char* locked : {"root/Locked", "locked-root", "root/Sealed.app/Contents/Info.plist"})
        fs::permissions(base / locked, fs::perms::none);
    kestrine::testing::asOrdinaryUser(base, [&] {
        // A missing root contributes nothing.
        EXPECT_THAT(scan({base / "missing", base / "root", base / "locked-root"}), ::testing::UnorderedElementsAreArray(expected));
    });
}

TEST_F(InstalledAppScannerTest, DuplicatesKeepTheCopyFoundFirstInRootOrderThenNameOrder) {
    // Within one root, entries are taken in name order, first level and folders alike. Without
    // an identifier two copies have different identities and both stay.
    bundles({{"system/Mail.app", "com.example.mail"}, {"user/Mail.app", "com.example.mail"}, {"user/Mailer.app", "com.example.mail"},
             {"system/Tool.app", nullptr}, {"user/Tool.app", nullptr}, {"system/Aaa/Notes.app", "com.example.notes"},
             {"system/Notes.app", "com.example.notes"}});
    EXPECT_EQ(listing(scan({base / "system", base / "user"})),
              "Mail=system/Mail.app Notes=system/Aaa/Notes.app Tool=system/Tool.app Tool=user/Tool.app");
    EXPECT_EQ(listing(scan({base / "user", base / "system"})),
              "Mail=user/Mail.app Notes=system/Aaa/Notes.app Tool=system/Tool.app Tool=user/Tool.app");
}

TEST_F(InstalledAppScannerTest, SymbolicLinksAreFollowedWithoutLooping) {
    bundles({{"root/Alpha.app", "id.alpha"}, {"elsewhere/Linked.app", "id.linked"}, {"elsewhere/Beyond.app", "id.beyond"}});
    fs::create_directory_symlink(base / "root", base / "root/loop");        // a folder holding itself
    fs::create_directory_symlink(base / "elsewhere", base / "root/Shared"); // a linked folder, the only way to Beyond.app
    fs::create_directory_symlink(base / "elsewhere/Linked.app", base / "root/Alias.app");
    fs::create_directories(base / "other");
    fs::create_symlink(base / "other/self", base / "other/self");         // resolves to nothing
    fs::create_symlink(base / "other/gone", base / "other/Dangling.app"); // a link named like a bundle
    // Through the loop, Alpha is found again at the second level, and dropped as a duplicate;
    // Alias.app links to Linked.app, which comes later in name order and is dropped the same way.
    const auto apps = scan({base / "root", base / "other"});
    EXPECT_EQ(listing(apps) + " " + apps.at(0).id,
              "Alias=root/Alias.app Alpha=root/Alpha.app Beyond=root/Shared/Beyond.app Dangling=other/Dangling.app id.linked");
}

TEST_F(InstalledAppScannerTest, SortsLikeAFileBrowserWithTiesByIdentity) {
    UErrorCode status = U_ZERO_ERROR;
    const Restore restore{[was = icu::Locale::getDefault(), &status] { icu::Locale::setDefault(was, status); }};
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    for (std::string name : {"App 10", "App 2", "app 1", "Zebra", "Éclair", "banana", "カレンダー", "写真", "メモ"})
        bundle("r/" + name + ".app", xml(identified("id." + name)));
    bundles({{"o/NOTES.app", "id.notes.b"}, {"r/notes.app", "id.notes.a"}});
    EXPECT_EQ(listing(scan({base / "r", base / "o"})), "app 1=r/app 1.app App 2=r/App 2.app App 10=r/App 10.app banana=r/banana.app Éclair=r/Éclair.app "
                             "notes=r/notes.app NOTES=o/NOTES.app Zebra=r/Zebra.app カレンダー=r/カレンダー.app メモ=r/メモ.app 写真=r/写真.app");
}

TEST_F(InstalledAppScannerTest, CancellationReturnsNothingNotAPartialListAndAFailingNameLeavesOutThatBundleOnly) {
    bundles({{"first/A.app", "id.a"}, {"first/B.app", "id.b"}, {"second/C.app", "id.c"}});
    const std::vector<fs::path> roots{base / "first", base / "second"};
    // A stop requested before the scan, or while a bundle is described, empties the result
    // at the next check, whether that is the next bundle or the next root.
    for (int stopAfter : {-1, 0, 1, 2, 3}) {
        std::stop_source source;
        if (stopAfter < 0) source.request_stop();
        int described = 0;
        InstalledAppScanner scanner(roots, [&](const fs::path& path, const plist::Dictionary& info) {
            if (++described == stopAfter) source.request_stop();
            if (stopAfter == 0 && path.filename() == "B.app") throw std::runtime_error("cannot name");
            return InstalledAppScanner::defaultDisplayName(path, info);
        });
        EXPECT_EQ(listing(scanner.scan(source.get_token())), stopAfter ? "" : "A=first/A.app C=second/C.app");
        EXPECT_EQ(described, stopAfter < 0 ? 0 : stopAfter ? stopAfter : 3) << "none described after the stop is seen";
    }
}

TEST(InstalledAppScannerInfo, KeepsOnlyTheEntriesTheScanReadsOfATopLevelDictionary) {
    const plist::Dictionary expected{{"CFBundleIdentifier", Value("com.example.editor")}, {"CFBundleDisplayName", Value("Text & <Code> \"Editor\"")},
                                     {"CFBundleName", Value("写真")}, {"LSUIElement", Value(false)}, {"LSBackgroundOnly", Value(1)}}; // any types
    plist::Dictionary all = expected;
    all.insert({{"CFBundleVersion", Value("1.0")}, {"CFBundleDocumentTypes", Value(plist::Array{Value(plist::Dictionary{})})}});
    const std::string head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n";
    const std::pair<std::string, plist::Dictionary> rows[] = {
        {xml(all), expected}, {binary(all), expected},
        {head + "<dict><key>CFBundleName</key><string>One</string><key>CFBundleName</key><string>Two</string>"
                "<!-- note --><key>CFBundleIdentifier</key><string><![CDATA[A<B]]></string></dict></plist>",
         {{"CFBundleName", Value("Two")}, {"CFBundleIdentifier", Value("A<B")}}},
        {plist::toXML(Value(plist::Array{Value("CFBundleName")})), {}}, {binary(all).substr(0, 20), {}}};
    for (const auto& [bytes, wanted] : rows) EXPECT_EQ(InstalledAppScanner::infoFromBytes(bytes), wanted) << bytes;
}

TEST(InstalledAppScannerNames, DefaultDisplayNameStripsTheExtensionThenFallsBack) {
    const plist::Dictionary both{{"CFBundleDisplayName", Value("Shown")}, {"CFBundleName", Value("Short")}},
        onlyShort{{"CFBundleDisplayName", Value("")}, {"CFBundleName", Value("Short")}},
        wrongTypes{{"CFBundleDisplayName", Value(3)}, {"CFBundleName", Value(true)}};
    const std::tuple<const char*, plist::Dictionary, const char*> rows[] = {
        {"/Applications/Tool.APP", both, "Tool"}, {"/Applications/Slash.app/", {}, "Slash"},
        {"/Applications/Plug.bundle", {}, "Plug.bundle"}, {"/Applications/Two.app.app", {}, "Two.app"},
        // Only a name that comes out empty falls back on the information dictionary.
        {"/Applications/.app", both, "Shown"}, {"/Applications/.app", onlyShort, "Short"},
        {"/Applications/.app", wrongTypes, ".app"}, {"/Applications/.APP", {}, ".APP"}};
    for (const auto& [path, info, expected] : rows) EXPECT_EQ(InstalledAppScanner::defaultDisplayName(path, info), expected) << path;
}

TEST(InstalledAppScannerRoots, DefaultRootsAreTheFourFoldersWithTheUsersHome) {
    const char* was = std::getenv("HOME");
    const Restore restore{[was = was ? std::optional<std::string>(was) : std::nullopt] { was ? ::setenv("HOME", was->c_str(), 1) : ::unsetenv("HOME"); }};
    ::setenv("HOME", "/srv/other", 1);
    EXPECT_EQ(InstalledAppScanner::defaultRoots(), (std::vector<fs::path>{"/Applications", "/srv/other/Applications",
                                                                           "/System/Applications", "/System/Applications/Utilities"}));
}

TEST(IconSizing, PixelSideRoundsUpAtTwoPixelsPerPointIsAtLeastOneAndCostIsFourBytesAPixelBothSaturating) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    constexpr auto infinity = std::numeric_limits<double>::infinity();
    const std::pair<double, std::int64_t> sides[] = {
        {44, 88}, {0.5, 1}, {0.51, 2}, {10.3, 21}, {-7, 1}, {std::nan(""), 1}, {-infinity, 1}, {infinity, largest},
        {std::ldexp(1.0, 62), largest} /* side 2^63 does not fit */, {std::ldexp(1.0, 61), std::int64_t{1} << 62}};
    for (auto [points, side] : sides) EXPECT_EQ(IconSizing::pixelSide(points), side) << points;
    const std::pair<std::int64_t, std::int64_t> costs[] = {
        {88, 30976}, {0, 0}, {-5, 0}, {1518500249, std::int64_t{1518500249} * 1518500249 * 4}, {1518500250, largest}, {largest, largest}};
    for (auto [side, cost] : costs) EXPECT_EQ(IconSizing::cost(side), cost) << side;
}

} // namespace
