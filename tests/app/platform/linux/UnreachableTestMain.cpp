// The dock stores over dconf with no D-Bus session to reach it: writes must fail clearly
// and leave the launcher files as they were.
#include "tests/app/platform/linux/DocksTestSupport.h"

#include <cstdlib>

int main(int argc, char** argv) {
    using namespace kestrine::testing;
    return runDocksTests(argc, argv, [](const std::filesystem::path& root) {
        ::setenv("GSETTINGS_BACKEND", "dconf", 1);
        ::unsetenv("GSETTINGS_SCHEMA_DIR");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::unsetenv("DISPLAY"); // no bus started on the X server's behalf either
        std::filesystem::create_directories(root / "runtime");
        ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "home-data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (root / "data").string().append(":/usr/local/share:/usr/share").c_str(), 1);
        writeDesktopEntry(root / "data" / "applications" / "org.example.Alpha.desktop", "Alpha");
    });
}
