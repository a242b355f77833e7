// "kestrine activate NAME" against a running instance on the GNOME dock, from the command's
// start to its exit (the favourites written before it ends), beside "gsettings set" of the same
// favourites list: the least a script switching the dock by hand would run. Both use the
// keyfile settings backend in a sandbox, so no session bus and no user settings are involved.
#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "bench/BuiltProgram.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using kestrine::bench::builtProgram;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> homeApps{"org.gnome.Nautilus.desktop", "firefox-esr.desktop", "org.gnome.Terminal.desktop",
                                        "org.gnome.TextEditor.desktop", "org.gnome.Calculator.desktop"};
const std::vector<std::string> workApps{"org.gnome.Terminal.desktop", "org.gnome.Nautilus.desktop",
                                        "thunderbird.desktop"};

std::string gvariantList(const std::vector<std::string>& ids) {
    std::string text = "[";
    for (const std::string& id : ids) text += (text.size() > 1 ? ", '" : "'") + id + "'";
    return text + "]";
}

// A sandbox whose GNOME favourites start as `homeApps`, with the default preset made from them
// and "Work".
struct GnomeSandbox {
    Sandbox box;
    std::vector<std::string> environment() const {
        return box.environment({"GSETTINGS_BACKEND=keyfile", "KESTRINE_DOCK=gnome", "XDG_CURRENT_DESKTOP=GNOME",
                                "KESTRINE_TRACE_STARTUP=1"});
    }
    bool prepare(const fs::path& gsettings) {
        if (runCommand(gsettings, {"set", "org.gnome.shell", "favorite-apps", gvariantList(homeApps)}, environment(),
                       box.root)
                .code != 0)
            return false;
        auto app = [](const std::string& id) { return nlohmann::json{{"id", id}, {"name", id}, {"path", ""}}; };
        nlohmann::json home = nlohmann::json::array(), work = nlohmann::json::array();
        for (const auto& id : homeApps) home.push_back(app(id));
        for (const auto& id : workApps) work.push_back(app(id));
        const nlohmann::json exported{{"format", "kestrine-presets"}, {"version", 1},
                                      {"presets", {{{"name", "Work"}, {"emoji", "💼"}, {"apps", work}}}}};
        writeFileAtomically(box.root / "work.json", exported.dump());
        writeFileAtomically(box.onboardingFile(), R"({"hasSeenOnboarding":true})");
        return true;
    }
};

void CommandActivateOnGnomeDock(benchmark::State& state) {
    const auto exe = builtProgram();
    const auto gsettings = findExecutable("gsettings");
    if (!exe || !gsettings || !std::getenv("DISPLAY")) {
        state.SkipWithError("needs the kestrine program, gsettings and an X display");
        return;
    }
    GnomeSandbox sandbox;
    if (!sandbox.prepare(*gsettings)) {
        state.SkipWithError("cannot write GNOME's favourites (schema org.gnome.shell missing?)");
        return;
    }
    if (runCommand(*exe, {"import", (sandbox.box.root / "work.json").string()}, sandbox.environment(), sandbox.box.root)
            .code != 0) {
        state.SkipWithError("cannot import the presets");
        return;
    }
    const fs::path log = sandbox.box.root / "kestrine.err";
    Process app(*exe, {"--login-item"}, sandbox.environment(), std::nullopt, log);
    if (!waitUntil([&] { return readText(log).find("kestrine-trace launched") != std::string::npos; }, 20s, 1ms)) {
        state.SkipWithError("the program did not start");
        return;
    }
    bool toWork = true;
    for (auto _ : state) {
        const auto start = Clock::now();
        Process command(*exe, {"activate", toWork ? "Work" : "1"}, sandbox.environment());
        if (!command.waitForExit(20s) || !command.exitedWith(0)) {
            state.SkipWithError("the command failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        toWork = !toWork;
    }
    app.signal(SIGTERM);
    app.waitForExit();
}
BENCHMARK(CommandActivateOnGnomeDock)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void GsettingsSetFavorites(benchmark::State& state) {
    const auto gsettings = findExecutable("gsettings");
    if (!gsettings) {
        state.SkipWithError("needs gsettings");
        return;
    }
    GnomeSandbox sandbox;
    if (!sandbox.prepare(*gsettings)) {
        state.SkipWithError("cannot write GNOME's favourites (schema org.gnome.shell missing?)");
        return;
    }
    bool toWork = true;
    for (auto _ : state) {
        const auto start = Clock::now();
        Process command(*gsettings, {"set", "org.gnome.shell", "favorite-apps", gvariantList(toWork ? workApps : homeApps)},
                        sandbox.environment());
        if (!command.waitForExit(20s) || !command.exitedWith(0)) {
            state.SkipWithError("gsettings failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        toWork = !toWork;
    }
}
BENCHMARK(GsettingsSetFavorites)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
