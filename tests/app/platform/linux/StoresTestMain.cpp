// The dock stores against the real org.gnome.shell and Plank schemas, through GIO's keyfile
// backend in a temporary XDG_CONFIG_HOME, with generated desktop entries.
#include "tests/app/platform/linux/DocksTestSupport.h"

#include <cstdlib>

int main(int argc, char** argv) {
    using namespace kestrine::testing;
    return runDocksTests(argc, argv, [](const std::filesystem::path& root) {
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::unsetenv("GSETTINGS_SCHEMA_DIR");
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "home-data").c_str(), 1);
        // The schemas come from the system; the applications from our folder first.
        ::setenv("XDG_DATA_DIRS", (root / "data").string().append(":/usr/local/share:/usr/share").c_str(), 1);
        ::setenv("LANGUAGE", "C", 1);
        const auto applications = root / "data" / "applications";
        writeDesktopEntry(applications / "org.example.Alpha.desktop", "Alpha");
        writeDesktopEntry(applications / "org.example.Beta.desktop", "Beta");
        writeDesktopEntry(applications / "org.example.Gamma.desktop", "Gamma");
        writeDesktopEntry(applications / "example" / "delta.desktop", "Delta");
    });
}
