#include "core/dock/DockTile.h"

#include <string_view>

#include "core/model/PresetApp.h"
#include "core/plist/PlistCoding.h"

namespace kestrine {
namespace {

const plist::Dictionary& emptyDictionary() {
    static const plist::Dictionary empty;
    return empty;
}

const plist::Value* member(const plist::Dictionary& dictionary, const std::string& key) {
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : &it->second;
}

/// "tile-data", or an empty dictionary when it is missing or not a dictionary.
const plist::Dictionary& tileData(const plist::Dictionary& raw) {
    if (const auto* value = member(raw, "tile-data"))
        if (const auto* dictionary = value->dictionary()) return *dictionary;
    return emptyDictionary();
}

const std::string* stringMember(const plist::Dictionary& dictionary, const std::string& key) {
    const auto* value = member(dictionary, key);
    return value ? value->string() : nullptr;
}

/// The dictionary after a trip through an XML property list, or nothing when either
/// direction fails.
std::optional<plist::Value> xmlRoundTrip(const plist::Dictionary& raw) {
    try {
        return plist::parse(plist::toXML(plist::Value(raw)));
    } catch (const plist::PlistError&) {
        return std::nullopt;
    }
}

} // namespace

DockTile::DockTile() {
    static const auto empty = std::make_shared<const Body>(plist::Dictionary{});
    body_ = empty;
}

std::optional<std::string> DockTile::bundleIdentifier() const {
    const auto* s = stringMember(tileData(raw()), "bundle-identifier");
    if (!s || s->empty()) return std::nullopt;
    return *s;
}

std::optional<std::string> DockTile::label() const {
    const auto* s = stringMember(tileData(raw()), "file-label");
    if (!s) return std::nullopt;
    return *s;
}

std::optional<ParsedURL> DockTile::fileURL() const {
    const auto* fileData = member(tileData(raw()), "file-data");
    if (!fileData || !fileData->isDictionary()) return std::nullopt;
    const auto* s = stringMember(*fileData->dictionary(), "_CFURLString");
    if (!s) return std::nullopt;
    return parseURL(*s);
}

std::optional<std::int64_t> DockTile::guid() const {
    const auto* value = member(raw(), "GUID");
    if (!value) return std::nullopt;
    return value->numberAsInt64();
}

std::optional<std::string> DockTile::identity() const {
    if (auto bundle = bundleIdentifier()) return bundle;
    if (auto url = fileURL()) return "url:" + url->absoluteString;
    if (auto name = label(); name && !name->empty()) return "label:" + *name;
    return std::nullopt;
}

std::optional<std::string> DockTile::anchorKey() const {
    if (auto id = identity()) return id;
    if (auto number = guid()) return "guid:" + std::to_string(*number);
    return std::nullopt;
}

std::string DockTile::displayName() const {
    if (auto name = label()) return *name;
    if (auto url = fileURL()) return url->lastPathComponentWithoutExtension();
    if (auto id = identity()) return *id;
    return "?";
}

DockTile DockTile::make(const PresetApp& app) {
    std::string urlString = fileURLString(app.path);
    if (std::string_view(app.id).substr(0, 4) == "url:") {
        // A path kept percent-encoded (its bytes are not UTF-8) came from this very URL;
        // encoding it again would name another file.
        auto url = parseURL(std::string_view(app.id).substr(4));
        if (url && !url->pathDecoded && url->path == app.path) urlString = url->absoluteString;
    }
    plist::Dictionary fileData{
        {"_CFURLString", plist::Value(std::move(urlString))},
        {"_CFURLStringType", plist::Value(15)},
    };
    plist::Dictionary data{
        {"file-data", plist::Value(std::move(fileData))},
        {"file-label", plist::Value(app.name)},
    };
    if (std::string_view(app.id).substr(0, 4) != "url:") data.emplace("bundle-identifier", plist::Value(app.id));
    return DockTile(plist::Dictionary{
        {"tile-type", plist::Value("file-tile")},
        {"tile-data", plist::Value(std::move(data))},
    });
}

std::string DockTile::fileURLString(const std::string& path) {
    return directoryFileURLString(path);
}

const plist::Data& DockTile::encode() const {
    std::lock_guard lock(body_->encodingLock);
    if (!body_->encoding) {
        std::string bytes = plist::toBinary(plist::Value(raw()));
        body_->encoding.emplace(bytes.begin(), bytes.end());
    }
    return *body_->encoding;
}

DockTile DockTile::decode(const plist::Data& bytes) {
    plist::Value value =
        plist::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    auto* dictionary = value.dictionary();
    if (!dictionary) throw TileDecodingError("Tile is not a dictionary");
    return DockTile(std::move(*dictionary));
}

bool operator==(const DockTile& a, const DockTile& b) {
    // By value: two tiles with equal dictionaries are equal whatever their encodings.
    if (a.body_ == b.body_ || a.raw() == b.raw()) return true;
    auto left = xmlRoundTrip(a.raw());
    if (!left) return false;
    auto right = xmlRoundTrip(b.raw());
    return right && *left == *right;
}

} // namespace kestrine
