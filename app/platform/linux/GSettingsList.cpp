#include "app/platform/linux/GSettingsList.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <cstring>

#include "core/system/DockPreferencesError.h"

namespace kestrine {

namespace {

std::string install(const std::string& package) { return " (install " + package + ")"; }

// Why `schema` cannot serve a string-list `key`: nothing when it can.
std::optional<std::string> schemaProblem(GSettingsSchemaSource* source, const std::string& schemaId,
                                         const std::string& key, const std::string& package,
                                         GSettingsSchema** found) {
    *found = nullptr;
    if (!source) return "no GSettings schemas are installed" + install(package);
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId.c_str(), TRUE);
    if (!schema) return "the GSettings schema " + schemaId + " is not installed" + install(package);
    std::optional<std::string> problem;
    if (!g_settings_schema_has_key(schema, key.c_str())) {
        problem = "the GSettings schema " + schemaId + " has no key " + key;
    } else {
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, key.c_str());
        if (!g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey), G_VARIANT_TYPE_STRING_ARRAY))
            problem = "the key " + key + " of the GSettings schema " + schemaId + " is not a list of strings";
        g_settings_schema_key_unref(schemaKey);
    }
    if (problem) {
        g_settings_schema_unref(schema);
        return problem;
    }
    *found = schema;
    return std::nullopt;
}

// The memory backend is what GIO falls back on when no real one is installed: writes
// would look fine and vanish with the process.
bool keepsOnlyInMemory(GSettingsBackend* backend) {
    return backend && std::strcmp(G_OBJECT_TYPE_NAME(backend), "GMemorySettingsBackend") == 0;
}

const char* memoryOnlyReason =
    "GSettings has no settings backend that keeps changes (install dconf-gsettings-backend)";

} // namespace

GSettingsList::GSettingsList(std::string schemaId, std::string key, std::string path, std::string package,
                             GSettingsBackend* backend)
    : schemaId_(std::move(schemaId)), key_(std::move(key)), package_(std::move(package)) {
    GSettingsSchema* schema = nullptr;
    if (auto problem = schemaProblem(g_settings_schema_source_get_default(), schemaId_, key_, package_, &schema)) {
        reason_ = *problem;
        return;
    }
    if (!backend) {
        GSettingsBackend* fallback = g_settings_backend_get_default();
        const bool memoryOnly = keepsOnlyInMemory(fallback);
        g_object_unref(fallback);
        if (memoryOnly) {
            reason_ = memoryOnlyReason;
            g_settings_schema_unref(schema);
            return;
        }
    }
    const bool relocatable = g_settings_schema_get_path(schema) == nullptr;
    if (relocatable != !path.empty()) {
        reason_ = "the GSettings schema " + schemaId_ + (relocatable ? " needs a path" : " has a fixed path");
    } else {
        settings_ = g_settings_new_full(schema, backend, path.empty() ? nullptr : path.c_str());
    }
    g_settings_schema_unref(schema);
}

GSettingsList::~GSettingsList() {
    if (settings_) g_object_unref(settings_);
}

bool GSettingsList::schemaInstalled(const char* schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (schema) g_settings_schema_unref(schema);
    return schema != nullptr;
}

std::optional<std::string> GSettingsList::unavailableReason(const std::string& schemaId, const std::string& key,
                                                            const std::string& package) {
    GSettingsSchema* schema = nullptr;
    if (auto problem = schemaProblem(g_settings_schema_source_get_default(), schemaId, key, package, &schema))
        return problem;
    g_settings_schema_unref(schema);
    GSettingsBackend* backend = g_settings_backend_get_default();
    const bool memoryOnly = keepsOnlyInMemory(backend);
    g_object_unref(backend);
    if (memoryOnly) return std::string(memoryOnlyReason);
    return std::nullopt;
}

std::vector<std::string> GSettingsList::read() const {
    std::vector<std::string> values;
    if (!settings_) return values;
    GVariant* value = g_settings_get_value(settings_, key_.c_str());
    gsize count = 0;
    const gchar** strings = g_variant_get_strv(value, &count);
    values.reserve(count);
    for (gsize i = 0; i < count; ++i) values.emplace_back(strings[i]);
    g_free(strings);
    g_variant_unref(value);
    return values;
}

void GSettingsList::requireWritable() const {
    if (!settings_) throw DockPreferencesError::unavailable(reason_);
    if (!g_settings_is_writable(settings_, key_.c_str()))
        throw DockPreferencesError::writeRefused("the setting " + key_ + " of " + schemaId_ +
                                                 " is locked or read-only");
}

void GSettingsList::write(const std::vector<std::string>& values) {
    requireWritable();
    const std::vector<std::string> before = read();
    std::vector<const gchar*> strings;
    strings.reserve(values.size() + 1);
    for (const std::string& value : values) strings.push_back(value.c_str());
    strings.push_back(nullptr);
    if (!g_settings_set_strv(settings_, key_.c_str(), strings.data()))
        throw DockPreferencesError::writeRefused("the settings refused a new value for " + key_ + " of " + schemaId_);
    // Waits for the backend (dconf answers over D-Bus); a write it could not store is
    // undone by then, which the read below notices. The dock itself may already have
    // answered with a list of its own, which is not a failure.
    g_settings_sync();
    const std::vector<std::string> after = read();
    if (after != values && after == before)
        throw DockPreferencesError::unavailable("the settings backend did not store " + key_ + " of " + schemaId_ +
                                                " (is the D-Bus session and its dconf service running?)");
}

void GSettingsList::reset() {
    requireWritable();
    g_settings_reset(settings_, key_.c_str());
    g_settings_sync();
}

} // namespace kestrine
