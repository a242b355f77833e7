// The desktop-entry scan over generated entries in temporary XDG data folders that hold no
// GSettings schemas, so the dock stores find theirs missing.
#include "tests/app/platform/linux/DocksTestSupport.h"

#include <cstdlib>

int main(int argc, char** argv) {
    using namespace kestrine::testing;
    return runDocksTests(argc, argv, [](const std::filesystem::path& root) {
        ::unsetenv("GSETTINGS_SCHEMA_DIR");
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "home").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", ((root / "sys1").string() + ":" + (root / "sys2").string()).c_str(), 1);
        ::setenv("XDG_CURRENT_DESKTOP", "Kestrine", 1);
        ::setenv("LANGUAGE", "C", 1);
        const auto sys1 = root / "sys1" / "applications";
        writeDesktopEntry(sys1 / "plain.desktop", "plain 10");
        writeDesktopEntry(sys1 / "numbered.desktop", "Plain 9");
        writeDesktopEntry(sys1 / "nodisplay.desktop", "NoDisplay", "NoDisplay=true\n");
        writeDesktopEntry(sys1 / "hidden.desktop", "Hidden", "Hidden=true\n");
        writeDesktopEntry(sys1 / "elsewhere.desktop", "Elsewhere", "OnlyShowIn=GNOME;\n");
        writeDesktopEntry(sys1 / "here.desktop", "Here", "OnlyShowIn=GNOME;Kestrine;\n");
        writeDesktopEntry(sys1 / "nothere.desktop", "Not here", "NotShowIn=Kestrine;\n");
        writeDesktopEntry(sys1 / "tryexec-missing.desktop", "Missing", "TryExec=/nonexistent/kestrine-tool\n");
        writeDesktopEntry(sys1 / "tryexec-found.desktop", "Found", "TryExec=/bin/sh\n");
        writeDesktopEntry(sys1 / "kde" / "viewer.desktop", "Viewer", "Icon=/opt/viewer/viewer.png\n");
        writeDesktopEntry(sys1 / "shared.desktop", "Shared system", "Icon=shared-system\n");
        writeDesktopEntry(sys1 / "twice.desktop", "Twice first");
        writeDesktopEntry(root / "sys2" / "applications" / "twice.desktop", "Twice second");
        writeDesktopEntry(root / "home" / "applications" / "shared.desktop", "Shared user", "Icon= shared-user \n");
        writeDesktopEntry(sys1 / "files.desktop", "Files",
                          "Name[de]=Dateien\nName[ja]=ファイル\nName[pt_BR]=Arquivos\n");
    });
}
