// The installed-application scan over 1,000 synthetic bundles, next to its floor: the same
// folder listings and the same information files read as bytes, without parsing,
// identity, naming or sorting.
#include "core/plist/PlistCoding.h"
#include "core/scan/InstalledAppScanner.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace kestrine;

namespace {

constexpr int kBundles = 1000;

// An information dictionary of the size and shape applications ship (about 2 KB as XML).
plist::Dictionary infoFor(int index) {
    using plist::Value;
    std::string name = (index % 3 == 0 ? "app " : "App ") + std::to_string(index);
    plist::Dictionary info{
        {"CFBundleIdentifier", Value("com.example.bench.app" + std::to_string(index))},
        {"CFBundleName", Value(name)},
        {"CFBundleDisplayName", Value(name)},
        {"CFBundleExecutable", Value("App" + std::to_string(index))},
        {"CFBundleIconFile", Value("AppIcon")},
        {"CFBundleInfoDictionaryVersion", Value("6.0")},
        {"CFBundlePackageType", Value("APPL")},
        {"CFBundleShortVersionString", Value("1.2." + std::to_string(index % 10))},
        {"CFBundleVersion", Value(std::to_string(1000 + index))},
        {"LSMinimumSystemVersion", Value("14.0")},
        {"NSHighResolutionCapable", Value(true)},
        {"NSHumanReadableCopyright", Value("Copyright 2024 Example Software. All rights reserved.")},
        {"NSPrincipalClass", Value("NSApplication")},
        {"LSApplicationCategoryType", Value("public.app-category.productivity")},
        {"CFBundleSupportedPlatforms", Value(plist::Array{Value("MacOSX")})},
        {"CFBundleDocumentTypes",
         Value(plist::Array{Value(plist::Dictionary{
             {"CFBundleTypeName", Value("Document")},
             {"CFBundleTypeRole", Value("Editor")},
             {"LSItemContentTypes", Value(plist::Array{Value("public.plain-text"), Value("public.rtf")})},
         })})},
        {"DTPlatformVersion", Value("14.2")},
        {"DTSDKName", Value("macosx14.2")},
        {"DTXcode", Value("1520")},
    };
    if (index % 50 == 0) info["LSUIElement"] = Value(true); // a few agents left out
    return info;
}

// Two roots, each with bundles at the first level and inside first-level folders.
struct Fixture {
    fs::path base;
    std::vector<fs::path> roots;

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "kestrine-bench-scan-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        base = pattern;
        roots = {base / "Applications", base / "home" / "Applications"};
        for (int i = 0; i < kBundles; ++i) {
            const fs::path& root = roots[i % 2];
            int slot = i / 2;
            fs::path folder = slot % 5 < 3 ? root : root / ("Folder " + std::to_string(slot % 7));
            fs::path bundle = folder / ("App " + std::to_string(i) + ".app");
            fs::create_directories(bundle / "Contents");
            auto info = plist::Value(infoFor(i));
            std::ofstream(bundle / "Contents" / "Info.plist", std::ios::binary)
                << (i % 4 == 0 ? plist::toBinary(info) : plist::toXML(info));
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(base, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

bool hasAppExtension(const char* name) {
    std::size_t n = std::strlen(name);
    return n > 4 && name[0] != '.' && strcasecmp(name + n - 4, ".app") == 0;
}

std::size_t readBytes(const std::string& path, std::string& buffer) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t total = 0;
    for (;;) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) break;
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return total;
}

std::vector<std::pair<std::string, unsigned char>> list(const std::string& folder) {
    std::vector<std::pair<std::string, unsigned char>> entries;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.') entries.emplace_back(e->d_name, e->d_type);
        ::closedir(dir);
    }
    return entries;
}

void BM_Scan(benchmark::State& state) {
    InstalledAppScanner scanner(fixture().roots, &InstalledAppScanner::defaultDisplayName);
    std::size_t found = 0;
    for (auto _ : state) {
        auto apps = scanner.scan();
        found = apps.size();
        benchmark::DoNotOptimize(apps.data());
    }
    state.counters["apps"] = static_cast<double>(found);
}
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);

void BM_ListAndReadFloor(benchmark::State& state) {
    std::string buffer(64 * 1024, '\0');
    std::size_t files = 0;
    for (auto _ : state) {
        std::size_t bytes = 0;
        files = 0;
        for (const fs::path& root : fixture().roots) {
            const std::string rootText = root.string();
            for (const auto& [name, type] : list(rootText)) {
                std::string path = rootText + "/" + name;
                if (hasAppExtension(name.c_str())) {
                    bytes += readBytes(path + "/Contents/Info.plist", buffer);
                    ++files;
                } else if (type == DT_DIR) {
                    for (const auto& [inner, innerType] : list(path))
                        if (hasAppExtension(inner.c_str())) {
                            bytes += readBytes(path + "/" + inner + "/Contents/Info.plist", buffer);
                            ++files;
                        }
                }
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_ListAndReadFloor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
