#include "core/model/JSONFileStateStorage.h"

#include <cmath>
#include <limits>

#include "core/model/JSONDocument.h"
#include "core/model/JSONWriter.h"
#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"

#include <nlohmann/json.hpp>

namespace kestrine {
namespace {

// ---- Places in the document, formatted only when an error needs them -------------------

/// One step of the way from the top-level object to a value: a key or an array index.
struct Place {
    const Place* parent = nullptr;
    const char* key = nullptr; // null for an array index
    std::size_t index = 0;

    Place child(const char* k) const { return Place{this, k, 0}; }
    Place at(std::size_t i) const { return Place{this, nullptr, i}; }

    std::string text() const {
        std::string prefix = parent ? parent->text() : std::string();
        if (key) return prefix.empty() ? std::string(key) : prefix + "." + key;
        return prefix + "[" + std::to_string(index) + "]";
    }
};

/// Reads the state out of a parsed document and builds the errors of one decoding run.
struct Decoder {
    explicit Decoder(const std::string& fileName) : fileName(fileName) {}

    const std::string& fileName;
    /// Name of the preset being read, once known, to help find the place in the file.
    const std::string* presetName = nullptr;
    /// The bytes of the tile being read; one buffer for all of them.
    plist::Data tileBytes;

    [[noreturn]] void fail(const Place* place, const std::string& problem) const {
        std::string message = fileName + ": ";
        if (place) message += place->text() + ": ";
        message += problem;
        if (presetName) message += " (preset \"" + *presetName + "\")";
        throw StateFileError(message);
    }

    static std::string describe(const JSONValue& value) {
        switch (value.type()) {
        case JSONValue::Type::Null:
            return "null";
        case JSONValue::Type::Boolean:
            return "a boolean";
        case JSONValue::Type::String:
            return "a string";
        case JSONValue::Type::Array:
            return "an array";
        case JSONValue::Type::Object:
            return "an object";
        default:
            return "a number";
        }
    }

    [[noreturn]] void wrongType(const Place& place, const char* expected, const JSONValue& found) const {
        fail(&place, std::string("expected ") + expected + ", found " + describe(found));
    }

    /// The member `key` of `object`, or nothing when it is missing or null.
    static std::optional<JSONValue> optionalMember(const JSONValue& object, const char* key) {
        auto member = object.find(key);
        if (!member || member->isNull()) return std::nullopt;
        return member;
    }

    JSONValue requiredMember(const JSONValue& object, const Place& place) const {
        auto member = object.find(place.key);
        if (!member) fail(&place, "missing required key");
        if (member->isNull()) fail(&place, "missing required key (it is null)");
        return *member;
    }

    const JSONValue& expectObject(const JSONValue& value, const Place& place) const {
        if (!value.isObject()) wrongType(place, "an object", value);
        return value;
    }

    const JSONValue& expectArray(const JSONValue& value, const Place& place) const {
        if (!value.isArray()) wrongType(place, "an array", value);
        return value;
    }

    std::string string(const JSONValue& value, const Place& place) const {
        if (!value.isString()) wrongType(place, "a string", value);
        return std::string(value.string());
    }

    bool boolean(const JSONValue& value, const Place& place) const {
        if (!value.isBoolean()) wrongType(place, "a boolean", value);
        return value.boolean();
    }

    std::int64_t integer(const JSONValue& value, const Place& place) const {
        switch (value.type()) {
        case JSONValue::Type::Integer:
            return value.integer();
        case JSONValue::Type::Unsigned:
            if (value.unsignedInteger() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                fail(&place, "integer out of range");
            return static_cast<std::int64_t>(value.unsignedInteger());
        case JSONValue::Type::Real: {
            // A number written with a fraction part is accepted when its value is whole.
            double d = value.real();
            if (std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
                return static_cast<std::int64_t>(d);
            fail(&place, "expected an integer, found " + std::string(value.numberText()));
        }
        default:
            wrongType(place, "an integer", value);
        }
    }

    DockTile tile(const JSONValue& value, const Place& place) {
        if (!value.isString()) wrongType(place, "a string", value);
        if (!plist::base64Decode(value.string(), tileBytes)) fail(&place, "tile is not valid Base64");
        try {
            return DockTile::decode(tileBytes);
        } catch (const TileDecodingError& e) {
            fail(&place, e.what());
        } catch (const plist::PlistError& e) {
            fail(&place, std::string("tile is ") + e.what());
        }
    }

    PresetApp app(const JSONValue& value, const Place& place) {
        const auto& object = expectObject(value, place);
        Place idPlace = place.child("id"), pathPlace = place.child("path"), namePlace = place.child("name");
        PresetApp result;
        result.id = string(requiredMember(object, idPlace), idPlace);
        result.path = string(requiredMember(object, pathPlace), pathPlace);
        result.name = string(requiredMember(object, namePlace), namePlace);
        return result;
    }

    Preset preset(const JSONValue& value, const Place& place) {
        const auto& object = expectObject(value, place);
        Preset result;
        Place namePlace = place.child("name");
        result.name = string(requiredMember(object, namePlace), namePlace);
        presetName = &result.name;

        if (auto id = optionalMember(object, "id")) result.id = string(*id, place.child("id"));
        else result.id = "legacy:" + result.name;

        if (auto emoji = optionalMember(object, "emoji")) result.emoji = string(*emoji, place.child("emoji"));

        if (auto flag = optionalMember(object, "isDefault")) result.isDefault = boolean(*flag, place.child("isDefault"));

        // With "apps" present the preset is of the current layout and "hiddenIDs" is ignored.
        if (auto apps = optionalMember(object, "apps")) {
            Place appsPlace = place.child("apps");
            const auto& array = expectArray(*apps, appsPlace);
            result.apps.reserve(array.size());
            for (std::size_t i = 0; i < array.size(); ++i) result.apps.push_back(app(array[i], appsPlace.at(i)));
        } else {
            std::set<std::string> hiddenIDs;
            if (auto ids = optionalMember(object, "hiddenIDs")) {
                Place idsPlace = place.child("hiddenIDs");
                const auto& array = expectArray(*ids, idsPlace);
                for (std::size_t i = 0; i < array.size(); ++i) hiddenIDs.insert(string(array[i], idsPlace.at(i)));
            }
            result.legacyHiddenIDs = std::move(hiddenIDs);
        }
        presetName = nullptr;
        return result;
    }

    HiddenEntry hiddenEntry(const JSONValue& value, const Place& place) {
        const auto& object = expectObject(value, place);
        HiddenEntry result;
        Place tilePlace = place.child("tile"), indexPlace = place.child("originalIndex");
        result.tile = tile(requiredMember(object, tilePlace), tilePlace);
        result.originalIndex = integer(requiredMember(object, indexPlace), indexPlace);
        if (auto key = optionalMember(object, "previousKey")) result.previousKey = string(*key, place.child("previousKey"));
        if (auto key = optionalMember(object, "nextKey")) result.nextKey = string(*key, place.child("nextKey"));
        return result;
    }

    AppState state(const JSONValue& document) {
        if (!document.isObject()) fail(nullptr, "expected an object at the top level, found " + describe(document));
        AppState result;
        if (auto active = optionalMember(document, "activePresetID"))
            result.activePresetID = string(*active, Place{nullptr, "activePresetID", 0});
        if (auto hidden = optionalMember(document, "hidden")) {
            Place place{nullptr, "hidden", 0};
            const auto& array = expectArray(*hidden, place);
            result.hidden.reserve(array.size());
            for (std::size_t i = 0; i < array.size(); ++i) result.hidden.push_back(hiddenEntry(array[i], place.at(i)));
        }
        if (auto presets = optionalMember(document, "presets")) {
            Place place{nullptr, "presets", 0};
            const auto& array = expectArray(*presets, place);
            result.presets.reserve(array.size());
            for (std::size_t i = 0; i < array.size(); ++i) result.presets.push_back(preset(array[i], place.at(i)));
        }
        if (auto tiles = optionalMember(document, "storedTiles")) {
            Place place{nullptr, "storedTiles", 0};
            const auto& array = expectArray(*tiles, place);
            result.storedTiles.reserve(array.size());
            for (std::size_t i = 0; i < array.size(); ++i) result.storedTiles.push_back(tile(array[i], place.at(i)));
        }
        return result;
    }
};

// ---- Encoding ------------------------------------------------------------------------------

/// The tile's bytes; `where` names its place for an error message.
template <typename Where>
const plist::Data& tileBytes(const DockTile& tile, const std::string& fileName, Where where) {
    try {
        return tile.encode();
    } catch (const plist::PlistError& e) {
        throw StateFileError(fileName + ": " + where() + ": cannot encode tile: " + e.what());
    }
}

void writePreset(JSONWriter& out, const Preset& preset) {
    out.beginObject();
    if (!preset.legacyHiddenIDs) {
        out.key("apps");
        out.beginArray();
        for (const auto& app : preset.apps) {
            out.beginObject();
            out.key("id");
            out.string(app.id);
            out.key("name");
            out.string(app.name);
            out.key("path");
            out.string(app.path);
            out.endObject();
        }
        out.endArray();
    }
    if (preset.emoji) {
        out.key("emoji");
        out.string(*preset.emoji);
    }
    out.key("hiddenIDs");
    out.beginArray();
    if (preset.legacyHiddenIDs)
        for (const auto& id : *preset.legacyHiddenIDs) out.string(id);
    out.endArray();
    out.key("id");
    out.string(preset.id);
    out.key("isDefault");
    out.boolean(preset.isDefault);
    out.key("name");
    out.string(preset.name);
    out.endObject();
}

} // namespace

std::string JSONFileStateStorage::encode(const AppState& state, const std::string& fileName) {
    // Every tile first, so that a tile that cannot be encoded is the error reported even
    // when a string before it cannot be written either.
    std::size_t size = 256;
    std::vector<const plist::Data*> hiddenTiles, storedTiles;
    hiddenTiles.reserve(state.hidden.size());
    for (std::size_t i = 0; i < state.hidden.size(); ++i) {
        hiddenTiles.push_back(&tileBytes(state.hidden[i].tile, fileName,
                                         [i] { return "hidden[" + std::to_string(i) + "].tile"; }));
        size += 128 + hiddenTiles.back()->size() * 4 / 3;
    }
    storedTiles.reserve(state.storedTiles.size());
    for (std::size_t i = 0; i < state.storedTiles.size(); ++i) {
        storedTiles.push_back(
            &tileBytes(state.storedTiles[i], fileName, [i] { return "storedTiles[" + std::to_string(i) + "]"; }));
        size += 8 + storedTiles.back()->size() * 4 / 3;
    }
    for (const auto& preset : state.presets) {
        size += 192 + preset.id.size() + preset.name.size();
        for (const auto& app : preset.apps) size += 96 + app.id.size() + app.name.size() + app.path.size();
    }

    // Keys in ascending order, two spaces of indentation: the layout of json::dump(2).
    std::string text;
    text.reserve(size);
    JSONWriter out(text);
    try {
        out.beginObject();
        if (state.activePresetID) {
            out.key("activePresetID");
            out.string(*state.activePresetID);
        }
        out.key("hidden");
        out.beginArray();
        for (std::size_t i = 0; i < state.hidden.size(); ++i) {
            const auto& entry = state.hidden[i];
            out.beginObject();
            if (entry.nextKey) {
                out.key("nextKey");
                out.string(*entry.nextKey);
            }
            out.key("originalIndex");
            out.integer(entry.originalIndex);
            if (entry.previousKey) {
                out.key("previousKey");
                out.string(*entry.previousKey);
            }
            out.key("tile");
            out.string(plist::base64Encode(*hiddenTiles[i]));
            out.endObject();
        }
        out.endArray();
        out.key("presets");
        out.beginArray();
        for (const auto& preset : state.presets) writePreset(out, preset);
        out.endArray();
        out.key("storedTiles");
        out.beginArray();
        for (const auto* bytes : storedTiles) out.string(plist::base64Encode(*bytes));
        out.endArray();
        out.endObject();
    } catch (const nlohmann::json::type_error& e) {
        // Strings that are not valid UTF-8 cannot be written as JSON text.
        throw StateFileError(fileName + ": cannot encode the state: " + e.what());
    }
    text += '\n';
    return text;
}

AppState JSONFileStateStorage::decode(const std::string& text, const std::string& fileName) {
    // A purpose-built reader: the state file is read at every start and a general JSON
    // tree costs many times the reading of the file itself.
    std::optional<JSONDocument> document;
    try {
        document.emplace(text);
    } catch (const JSONSyntaxError& e) {
        throw StateFileError(fileName + ": " + e.what());
    }
    Decoder decoder(fileName);
    return decoder.state(document->root());
}

AppState JSONFileStateStorage::load() {
    auto text = readJSONFileIfExists(url);
    if (!text) return AppState{};
    return decode(*text, url.filename().string());
}

void JSONFileStateStorage::save(const AppState& state) {
    // Encode first so that a state that cannot be written leaves the folder and the file
    // untouched; writeFileAtomically creates missing folders.
    std::string bytes = encode(state, url.filename().string());
    writeFileAtomically(url, bytes);
}

} // namespace kestrine
