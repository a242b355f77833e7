// How fast the real program answers, measured from outside under the X display of ./dev bench:
// start to the settings window painted, the global shortcut to the key panel painted, and the
// resident memory with the settings window open on a Dock of 300 applications (300 icons
// cached). The program prints a line when a window is first painted (KESTRINE_TRACE_STARTUP=1).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/plist/PlistCoding.h"
#include "bench/BuiltProgram.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using kestrine::bench::builtProgram;
using Clock = std::chrono::steady_clock;

namespace {

// The source tree's icon, for the application bundles made up here.
std::optional<fs::path> sampleIcon() {
    std::error_code error;
    for (fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path(); !folder.empty() && folder != "/";
         folder = folder.parent_path()) {
        const fs::path icon = folder / "resources" / "icons" / "kestrine.png";
        if (fs::exists(icon)) return icon;
    }
    return std::nullopt;
}

bool ready(benchmark::State& state, std::optional<fs::path>& exe) {
    exe = builtProgram();
    if (!exe) {
        state.SkipWithError("the kestrine program is not built next to the benchmark");
        return false;
    }
    if (!std::getenv("DISPLAY") || !findExecutable("xdotool")) {
        state.SkipWithError("needs an X display and xdotool");
        return false;
    }
    return true;
}

int traceCount(const fs::path& log, const std::string& marker) {
    const std::string text = readText(log);
    const std::string line = "kestrine-trace " + marker;
    int count = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) ++count;
    return count;
}

// The program's resident set size in kilobytes.
long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void writeDockOf(const Sandbox& box, int count) {
    std::vector<plist::Dictionary> tiles;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "App%03d", i);
        tiles.push_back(appTile(std::string("org.example.") + name, 1000 + i,
                                (box.home() / "Applications" / (std::string(name) + ".app")).string()));
    }
    box.writeDock(tiles);
}

void makeBundles(const Sandbox& box, int count) {
    const auto icon = sampleIcon();
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "App%03d", i);
        const fs::path contents = box.home() / "Applications" / (std::string(name) + ".app") / "Contents";
        fs::create_directories(contents / "Resources");
        plist::Dictionary info{{"CFBundleIdentifier", plist::Value(std::string("org.example.") + name)},
                               {"CFBundleName", plist::Value(std::string(name))},
                               {"CFBundlePackageType", plist::Value("APPL")},
                               {"CFBundleIconFile", plist::Value("AppIcon.png")}};
        writeFileAtomically(contents / "Info.plist", plist::toXML(plist::Value(info)));
        if (icon) fs::copy_file(*icon, contents / "Resources" / "AppIcon.png", fs::copy_options::overwrite_existing);
    }
}

void StartToSettingsWindowShown(benchmark::State& state) {
    std::optional<fs::path> exe;
    if (!ready(state, exe)) return;
    Sandbox box;
    writeDockOf(box, 8);
    const fs::path log = box.root / "kestrine.err";
    for (auto _ : state) {
        fs::remove(log);
        const auto start = Clock::now();
        Process app(*exe, {}, box.environment(), std::nullopt, log);
        if (!waitUntil([&] { return traceCount(log, "settings-shown") > 0; }, 20s, 1ms)) {
            state.SkipWithError("the settings window was not shown");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        app.signal(SIGTERM);
        app.waitForExit();
    }
}
BENCHMARK(StartToSettingsWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void ShortcutToPanelShown(benchmark::State& state) {
    std::optional<fs::path> exe;
    if (!ready(state, exe)) return;
    Sandbox box;
    writeDockOf(box, 8);
    writeFileAtomically(box.onboardingFile(), R"({"hasSeenOnboarding":true})");
    const fs::path log = box.root / "kestrine.err";
    Process app(*exe, {"--login-item"}, box.environment(), std::nullopt, log);
    if (!waitUntil([&] { return traceCount(log, "launched") > 0; }, 20s, 1ms)) {
        state.SkipWithError("the program did not start");
        return;
    }
    const fs::path xdotool = *findExecutable("xdotool");
    double keyOverhead = 0;
    int shown = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        Process press(xdotool, {"key", "ctrl+alt+d"}, box.environment());
        if (!waitUntil([&] { return traceCount(log, "panel-shown") > shown; }, 10s, 1ms)) {
            state.SkipWithError("the panel was not shown");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        ++shown;
        press.waitForExit();
        // Close it again, and measure what starting xdotool alone costs.
        const auto escapeStart = Clock::now();
        Process escape(xdotool, {"key", "Escape"}, box.environment());
        escape.waitForExit();
        keyOverhead += std::chrono::duration<double, std::milli>(Clock::now() - escapeStart).count();
        const auto closed = [&] {
            return runCommand(xdotool, {"search", "--onlyvisible", "--name", "^Kestrine$"}, box.environment(), box.root)
                       .output.empty();
        };
        waitUntil(closed, 10s, 5ms);
    }
    state.counters["xdotool_ms"] = keyOverhead / double(state.iterations());
    app.signal(SIGTERM);
    app.waitForExit();
}
BENCHMARK(ShortcutToPanelShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void ResidentMemoryWith300Icons(benchmark::State& state) {
    std::optional<fs::path> exe;
    if (!ready(state, exe)) return;
    Sandbox box;
    makeBundles(box, 300);
    writeDockOf(box, 300);
    const fs::path log = box.root / "kestrine.err";
    for (auto _ : state) {
        fs::remove(log);
        Process app(*exe, {}, box.environment(), std::nullopt, log);
        if (!waitUntil([&] { return traceCount(log, "settings-shown") > 0; }, 30s, 5ms)) {
            state.SkipWithError("the settings window was not shown");
            return;
        }
        // Let the background scan of the 300 bundles finish: wait until the size holds still.
        long last = 0, stableFor = 0, rss = 0;
        waitUntil(
            [&] {
                rss = residentKilobytes(app.pid());
                stableFor = rss == last ? stableFor + 1 : 0;
                last = rss;
                return stableFor >= 10;
            },
            20s, 100ms);
        state.counters["VmRSS_MB"] = double(rss) / 1024.0;
        app.signal(SIGTERM);
        app.waitForExit();
    }
}
BENCHMARK(ResidentMemoryWith300Icons)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
