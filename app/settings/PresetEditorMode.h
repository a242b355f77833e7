#pragma once

#include <QString>

#include <optional>

#include "core/model/Preset.h"

namespace kestrine {

/// What the preset editor sheet is opened for.
struct PresetEditorMode {
    enum class Kind { details, create, addApps };

    Kind kind = Kind::create;
    std::optional<Preset> preset; // the preset being edited, in details mode only

    static PresetEditorMode details(Preset preset) { return {Kind::details, std::move(preset)}; }
    static PresetEditorMode create() { return {Kind::create, std::nullopt}; }
    static PresetEditorMode addApps() { return {Kind::addApps, std::nullopt}; }

    /// "details-" + the preset's id, "create" or "addApps".
    QString identifier() const {
        switch (kind) {
        case Kind::details: return QStringLiteral("details-") + QString::fromStdString(preset ? preset->id : "");
        case Kind::create: return QStringLiteral("create");
        case Kind::addApps: return QStringLiteral("addApps");
        }
        return {};
    }
    /// The localisation key of the sheet's title.
    const char* titleKey() const {
        switch (kind) {
        case Kind::details: return "editor.title.details";
        case Kind::create: return "editor.title.create";
        case Kind::addApps: return "editor.title.add";
        }
        return "";
    }
};

} // namespace kestrine
