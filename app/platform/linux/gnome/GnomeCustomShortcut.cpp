#include "app/platform/linux/gnome/GnomeCustomShortcut.h"

#include "app/platform/linux/GSettingsList.h"

#include <gio/gio.h>

#include <memory>
#include <vector>

namespace kestrine {

namespace {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, ObjectUnref>;


std::vector<std::string> paths(GSettings* list) {
    std::vector<std::string> out;
    gchar** values = g_settings_get_strv(list, GnomeCustomShortcut::listKey);
    for (gchar** v = values; v && *v; ++v) out.emplace_back(*v);
    g_strfreev(values);
    return out;
}

bool setPaths(GSettings* list, const std::vector<std::string>& values) {
    std::vector<const gchar*> raw;
    for (const std::string& v : values) raw.push_back(v.c_str());
    raw.push_back(nullptr);
    return g_settings_set_strv(list, GnomeCustomShortcut::listKey, raw.data());
}

std::string text(GSettings* settings, const char* key) {
    gchar* value = g_settings_get_string(settings, key);
    std::string out = value ? value : "";
    g_free(value);
    return out;
}

Settings listSettings() {
    return Settings(g_settings_new(GnomeCustomShortcut::listSchema));
}

Settings bindingSettings() {
    return Settings(g_settings_new_with_path(GnomeCustomShortcut::bindingSchema, GnomeCustomShortcut::path));
}

bool listed(GSettings* list) {
    for (const std::string& p : paths(list))
        if (p == GnomeCustomShortcut::path) return true;
    return false;
}

}  // namespace

bool GnomeCustomShortcut::isAvailable() {
    return GSettingsList::schemaInstalled(listSchema) && GSettingsList::schemaInstalled(bindingSchema);
}

std::optional<GnomeCustomShortcut::Binding> GnomeCustomShortcut::current() {
    if (!isAvailable()) return std::nullopt;
    Settings list = listSettings();
    if (!listed(list.get())) return std::nullopt;
    Settings binding = bindingSettings();
    return Binding{text(binding.get(), "name"), text(binding.get(), "command"), text(binding.get(), "binding")};
}

bool GnomeCustomShortcut::add(const Binding& wanted) {
    if (!isAvailable()) return false;
    Settings list = listSettings();
    Settings binding = bindingSettings();
    bool ok = true;
    // Only what differs is written, so a second add writes nothing.
    const std::pair<const char*, const std::string*> fields[] = {
        {"name", &wanted.name}, {"command", &wanted.command}, {"binding", &wanted.binding}};
    for (const auto& [key, value] : fields)
        if (text(binding.get(), key) != *value) ok = g_settings_set_string(binding.get(), key, value->c_str()) && ok;
    std::vector<std::string> all = paths(list.get());
    if (!listed(list.get())) {
        all.emplace_back(path);
        ok = setPaths(list.get(), all) && ok;
    }
    g_settings_sync();
    return ok;
}

bool GnomeCustomShortcut::remove() {
    if (!isAvailable()) return false;
    Settings list = listSettings();
    std::vector<std::string> all = paths(list.get());
    std::vector<std::string> kept;
    for (const std::string& p : all)
        if (p != path) kept.push_back(p);
    bool ok = true;
    if (kept.size() != all.size()) ok = setPaths(list.get(), kept);
    Settings binding = bindingSettings();
    for (const char* key : {"name", "command", "binding"}) g_settings_reset(binding.get(), key);
    g_settings_sync();
    return ok;
}

}  // namespace kestrine
