#include "core/model/JSONFileStateStorage.h"

#include <cmath>
#include <limits>

#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
namespace {

using nlohmann::json;

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

    static std::string describe(const json& value) {
        switch (value.type()) {
        case json::value_t::null:
            return "null";
        case json::value_t::boolean:
            return "a boolean";
        case json::value_t::string:
            return "a string";
        case json::value_t::array:
            return "an array";
        case json::value_t::object:
            return "an object";
        default:
            return "a number";
        }
    }

    [[noreturn]] void wrongType(const Place& place, const char* expected, const json& found) const {
        fail(&place, std::string("expected ") + expected + ", found " + describe(found));
    }

    /// The member `key` of `object`, or null when it is missing or null.
    static const json* optionalMember(const json& object, const char* key) {
        auto member = object.find(key);
        if (member == object.end() || member->is_null()) return nullptr;
        return &*member;
    }

    const json& requiredMember(const json& object, const Place& place) const {
        auto member = object.find(place.key);
        if (member == object.end()) fail(&place, "missing required key");
        if (member->is_null()) fail(&place, "missing required key (it is null)");
        return *member;
    }

    const json& expectObject(const json& value, const Place& place) const {
        if (!value.is_object()) wrongType(place, "an object", value);
        return value;
    }

    const json& expectArray(const json& value, const Place& place) const {
        if (!value.is_array()) wrongType(place, "an array", value);
        return value;
    }

    std::string string(const json& value, const Place& place) const {
        if (!value.is_string()) wrongType(place, "a string", value);
        return value.get_ref<const std::string&>();
    }

    bool boolean(const json& value, const Place& place) const {
        if (!value.is_boolean()) wrongType(place, "a boolean", value);
        return value.get<bool>();
    }

    std::int64_t integer(const json& value, const Place& place) const {
        switch (value.type()) {
        case json::value_t::number_integer:
            return value.get<std::int64_t>();
        case json::value_t::number_unsigned:
            if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                fail(&place, "integer out of range");
            return static_cast<std::int64_t>(value.get<std::uint64_t>());
        case json::value_t::number_float: {
            // A number written with a fraction part is accepted when its value is whole.
            double d = value.get<double>();
            if (std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
                return static_cast<std::int64_t>(d);
            fail(&place, "expected an integer, found " + value.dump());
        }
        default:
            wrongType(place, "an integer", value);
        }
    }

    DockTile tile(const json& value, const Place& place) {
        if (!value.is_string()) wrongType(place, "a string", value);
        if (!plist::base64Decode(value.get_ref<const std::string&>(), tileBytes)) fail(&place, "tile is not valid Base64");
        try {
            return DockTile::decode(tileBytes);
        } catch (const TileDecodingError& e) {
            fail(&place, e.what());
        } catch (const plist::PlistError& e) {
            fail(&place, std::string("tile is ") + e.what());
        }
    }

    PresetApp app(const json& value, const Place& place) {
        const auto& object = expectObject(value, place);
        Place idPlace = place.child("id"), pathPlace = place.child("path"), namePlace = place.child("name");
        PresetApp result;
        result.id = string(requiredMember(object, idPlace), idPlace);
        result.path = string(requiredMember(object, pathPlace), pathPlace);
        result.name = string(requiredMember(object, namePlace), namePlace);
        return result;
    }

    Preset preset(const json& value, const Place& place) {
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

    HiddenEntry hiddenEntry(const json& value, const Place& place) {
        const auto& object = expectObject(value, place);
        HiddenEntry result;
        Place tilePlace = place.child("tile"), indexPlace = place.child("originalIndex");
        result.tile = tile(requiredMember(object, tilePlace), tilePlace);
        result.originalIndex = integer(requiredMember(object, indexPlace), indexPlace);
        if (auto key = optionalMember(object, "previousKey")) result.previousKey = string(*key, place.child("previousKey"));
        if (auto key = optionalMember(object, "nextKey")) result.nextKey = string(*key, place.child("nextKey"));
        return result;
    }

    AppState state(const json& document) {
        if (!document.is_object()) fail(nullptr, "expected an object at the top level, found " + describe(document));
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

json presetObject(const Preset& preset) {
    json object = json::object();
    if (!preset.legacyHiddenIDs) {
        json apps = json::array();
        for (const auto& app : preset.apps) apps.push_back(json{{"id", app.id}, {"name", app.name}, {"path", app.path}});
        object["apps"] = std::move(apps);
    }
    if (preset.emoji) object["emoji"] = *preset.emoji;
    json hiddenIDs = json::array();
    if (preset.legacyHiddenIDs)
        for (const auto& id : *preset.legacyHiddenIDs) hiddenIDs.push_back(id);
    object["hiddenIDs"] = std::move(hiddenIDs);
    object["id"] = preset.id;
    object["isDefault"] = preset.isDefault;
    object["name"] = preset.name;
    return object;
}

} // namespace

std::string JSONFileStateStorage::encode(const AppState& state, const std::string& fileName) {
    // Every tile first, so that a tile that cannot be encoded is the error reported even
    // when a string before it cannot be written either.
    std::vector<const plist::Data*> hiddenTiles, storedTiles;
    hiddenTiles.reserve(state.hidden.size());
    for (std::size_t i = 0; i < state.hidden.size(); ++i)
        hiddenTiles.push_back(&tileBytes(state.hidden[i].tile, fileName,
                                         [i] { return "hidden[" + std::to_string(i) + "].tile"; }));
    storedTiles.reserve(state.storedTiles.size());
    for (std::size_t i = 0; i < state.storedTiles.size(); ++i)
        storedTiles.push_back(
            &tileBytes(state.storedTiles[i], fileName, [i] { return "storedTiles[" + std::to_string(i) + "]"; }));

    // Tiles are the bulk of the file: a third more as Base64, and each line's indentation.
    std::size_t sizeHint = 4096;
    for (const auto* bytes : hiddenTiles) sizeHint += bytes->size() * 4 / 3 + 64;
    for (const auto* bytes : storedTiles) sizeHint += bytes->size() * 4 / 3 + 8;
    for (const auto& preset : state.presets) sizeHint += 160 + preset.apps.size() * 160;

    // The object type keeps keys sorted, so dump(2) writes them in ascending order with two
    // spaces of indentation.
    json document = json::object();
    if (state.activePresetID) document["activePresetID"] = *state.activePresetID;
    json hidden = json::array();
    for (std::size_t i = 0; i < state.hidden.size(); ++i) {
        const auto& entry = state.hidden[i];
        json object{{"originalIndex", entry.originalIndex}, {"tile", plist::base64Encode(*hiddenTiles[i])}};
        if (entry.nextKey) object["nextKey"] = *entry.nextKey;
        if (entry.previousKey) object["previousKey"] = *entry.previousKey;
        hidden.push_back(std::move(object));
    }
    document["hidden"] = std::move(hidden);
    json presets = json::array();
    for (const auto& preset : state.presets) presets.push_back(presetObject(preset));
    document["presets"] = std::move(presets);
    json tiles = json::array();
    for (const auto* bytes : storedTiles) tiles.push_back(plist::base64Encode(*bytes));
    document["storedTiles"] = std::move(tiles);

    // The whole file is written into one buffer sized up front: growing a string of a few hundred
    // kilobytes step by step costs more than the serialising itself.
    std::string text;
    text.reserve(sizeHint);
    try {
        nlohmann::detail::serializer<json> serializer(nlohmann::detail::output_adapter<char>(text), ' ');
        serializer.dump(document, true, false, 2);
    } catch (const json::type_error& e) {
        // Strings that are not valid UTF-8 cannot be written as JSON text.
        throw StateFileError(fileName + ": cannot encode the state: " + e.what());
    }
    text += '\n';
    return text;
}

AppState JSONFileStateStorage::decode(const std::string& text, const std::string& fileName) {
    json document;
    try {
        document = parseJSON(text, fileName);
    } catch (const JSONFormatError& e) {
        throw StateFileError(e.what());
    }
    Decoder decoder(fileName);
    return decoder.state(document);
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
