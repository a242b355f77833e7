#pragma once

#include <optional>
#include <string>
#include <vector>

typedef struct _GSettings GSettings;
typedef struct _GSettingsBackend GSettingsBackend;

namespace kestrine {

/// One string-list key of a GSettings schema, for the dock stores. Construction never
/// fails: when the schema is missing the list is unavailable, reads give nothing and
/// writes throw DockPreferencesError::unavailable.
class GSettingsList {
public:
    /// `path` is for relocatable schemas (empty otherwise); `backend` may be null for the
    /// default backend. `package` names what to install when the schema is missing.
    GSettingsList(std::string schemaId, std::string key, std::string path, std::string package,
                  GSettingsBackend* backend);
    ~GSettingsList();
    GSettingsList(const GSettingsList&) = delete;
    GSettingsList& operator=(const GSettingsList&) = delete;

    /// Why the schema (with this key) cannot be used from the default schema source, or
    /// why the default backend cannot keep settings; nothing when usable.
    /// The schema `schemaId` is installed in the default schema source.
    static bool schemaInstalled(const char* schemaId);

    static std::optional<std::string> unavailableReason(const std::string& schemaId, const std::string& key,
                                                        const std::string& package);

    bool available() const { return settings_ != nullptr; }
    /// The stored strings; empty when unavailable.
    std::vector<std::string> read() const;
    /// Throws DockPreferencesError::unavailable or ::writeRefused (nothing written) when
    /// the key cannot be written.
    void requireWritable() const;
    /// Sets the key and waits until the backend has it; throws as requireWritable does,
    /// and DockPreferencesError::unavailable when the backend did not keep the value (dconf
    /// without a session bus drops writes that way).
    void write(const std::vector<std::string>& values);
    /// Puts the key back to its default (the schema's or the administrator's).
    void reset();

private:
    std::string schemaId_;
    std::string key_;
    std::string package_;
    std::string reason_; // why settings_ is null
    GSettings* settings_ = nullptr;
};

} // namespace kestrine
