#include "app/platform/linux/DesktopEntries.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <filesystem>
#include <memory>
#include <unordered_set>

#include "core/scan/InstalledAppScanner.h"

namespace kestrine::DesktopEntries {

namespace {

constexpr std::string_view desktopSuffix = ".desktop";

bool endsWithDesktop(std::string_view name) {
    return name.size() > desktopSuffix.size() && name.substr(name.size() - desktopSuffix.size()) == desktopSuffix;
}

std::optional<PresetApp> describe(GAppInfo* info) {
    const char* id = g_app_info_get_id(info);
    const char* file = G_IS_DESKTOP_APP_INFO(info) ? g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info)) : nullptr;
    if (!id || !file) return std::nullopt;
    const char* name = g_app_info_get_name(info);
    return PresetApp(id, file, name && *name ? name : id);
}

} // namespace

std::vector<PresetApp> scan(std::stop_token stop) {
    struct ListDeleter {
        void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
    };
    try {
        const std::unique_ptr<GList, ListDeleter> all(g_app_info_get_all());
        std::vector<PresetApp> apps;
        std::unordered_set<std::string> seen;
        for (GList* item = all.get(); item; item = item->next) {
            if (stop.stop_requested()) return {};
            auto* info = static_cast<GAppInfo*>(item->data);
            if (!g_app_info_should_show(info)) continue;
            if (auto app = describe(info); app && seen.insert(app->id).second) apps.push_back(std::move(*app));
        }
        InstalledAppScanner::sortByName(apps);
        if (stop.stop_requested()) return {};
        return apps;
    } catch (...) {
        return {}; // only resource exhaustion gets here: show nothing rather than fail
    }
}

std::optional<PresetApp> lookup(const std::string& desktopId) {
    if (!isDesktopId(desktopId)) return std::nullopt;
    GDesktopAppInfo* info = g_desktop_app_info_new(desktopId.c_str());
    if (!info) return std::nullopt;
    std::optional<PresetApp> app = describe(G_APP_INFO(info));
    g_object_unref(info);
    if (app) app->id = desktopId;
    return app;
}

std::optional<std::string> iconName(const std::string& desktopFilePath) {
    GKeyFile* file = g_key_file_new();
    std::optional<std::string> icon;
    if (g_key_file_load_from_file(file, desktopFilePath.c_str(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* value = g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_ICON, nullptr)) {
            std::string text = g_strstrip(value);
            if (!text.empty()) icon = std::move(text);
            g_free(value);
        }
    }
    g_key_file_free(file);
    return icon;
}

bool isDesktopId(const std::string& text) {
    return endsWithDesktop(text) && text.find('/') == std::string::npos;
}

std::optional<std::string> desktopIdForPath(const std::string& desktopFilePath) {
    const std::filesystem::path file = std::filesystem::path(desktopFilePath).lexically_normal();
    const std::string name = file.filename().string();
    if (!endsWithDesktop(name)) return std::nullopt;
    std::vector<std::filesystem::path> folders{g_get_user_data_dir()};
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir; ++dir) folders.emplace_back(*dir);
    for (const auto& folder : folders) {
        const auto applications = (folder / "applications").lexically_normal();
        const auto relative = file.lexically_relative(applications);
        if (relative.empty() || *relative.begin() == "..") continue;
        std::string id = relative.string();
        for (char& c : id)
            if (c == '/') c = '-';
        return id;
    }
    return name;
}

} // namespace kestrine::DesktopEntries
