#pragma once

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <cstdio>
#include <memory>

#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {

inline const std::string alphaId = "org.example.Alpha.desktop";
inline const std::string betaId = "org.example.Beta.desktop";
inline const std::string gammaId = "org.example.Gamma.desktop";
inline const std::string deltaId = "example-delta.desktop"; // example/delta.desktop

inline std::filesystem::path entryPath(const std::string& file) { return docksRoot() / "data" / "applications" / file; }

/// Sets a string list directly through GSettings (default backend).
inline void setList(const char* schema, const char* path, const char* key, const std::vector<std::string>& values) {
    GSettings* settings = path ? g_settings_new_with_path(schema, path) : g_settings_new(schema);
    std::vector<const gchar*> strings;
    for (const auto& value : values) strings.push_back(value.c_str());
    strings.push_back(nullptr);
    ASSERT_TRUE(g_settings_set_strv(settings, key, strings.data()));
    g_settings_sync();
    g_object_unref(settings);
}

/// What another process reads: `gsettings get` run with this process's environment.
inline std::vector<std::string> outsideList(const std::string& schemaAndPath, const std::string& key) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("gsettings get " + schemaAndPath + " " + key).c_str(), "r"),
                                               ::pclose);
    std::string text;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) text.append(buffer, n);
    std::vector<std::string> values;
    GVariant* value = g_variant_parse(G_VARIANT_TYPE_STRING_ARRAY, text.c_str(), nullptr, nullptr, nullptr);
    if (!value) {
        ADD_FAILURE() << "gsettings printed: " << text;
        return values;
    }
    gsize count = 0;
    const gchar** strings = g_variant_get_strv(value, &count);
    for (gsize i = 0; i < count; ++i) values.emplace_back(strings[i]);
    g_free(strings);
    g_variant_unref(value);
    return values;
}

inline std::vector<std::string> outsideFavorites() { return outsideList("org.gnome.shell", "favorite-apps"); }
inline std::vector<std::string> outsideDockItems() {
    return outsideList("net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/dock1/", "dock-items");
}

/// A keyfile settings backend whose administrator defaults and locks come from `folder`
/// ("defaults" and "locks", as /etc/glib-2.0/settings holds them).
inline GSettingsBackend* lockedBackend(const std::filesystem::path& folder, const std::string& defaults,
                                       const std::string& locks) {
    writeFileAtomically(folder / "defaults", defaults);
    writeFileAtomically(folder / "locks", locks);
    // The keyfile backend's type is registered by its constructor; only its properties
    // take a defaults folder.
    g_object_unref(g_keyfile_settings_backend_new((folder / "probe").c_str(), "/", nullptr));
    return G_SETTINGS_BACKEND(g_object_new(g_type_from_name("GKeyfileSettingsBackend"), "filename",
                                           (folder / "keyfile").c_str(), "defaults-dir", folder.c_str(), nullptr));
}

} // namespace kestrine::testing
