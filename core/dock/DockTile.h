#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/plist/Value.h"
#include "core/support/FileURL.h"

namespace kestrine {

struct PresetApp;

/// A tile's state-file bytes hold a property list that is not a dictionary.
class TileDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One entry of the Dock's "persistent-apps", carried exactly as the Dock stored it.
/// Accessors read a handful of keys and never fail; none of them is cached.
///
/// A tile is a value: its dictionary never changes after construction, so copies share
/// it instead of duplicating the whole tree (tiles are copied between the Dock, plans and
/// the state many times per switch). For the same reason its encoding is made once, at
/// the first encode(), and shared by every copy: the state file is written after every
/// change and holds the same tiles each time.
class DockTile {
public:
    /// A tile with an empty dictionary.
    DockTile();
    explicit DockTile(plist::Dictionary raw) : body_(std::make_shared<const Body>(std::move(raw))) {}

    const plist::Dictionary& raw() const { return body_->raw; }

    std::optional<std::string> bundleIdentifier() const;
    std::optional<std::string> label() const;
    std::optional<ParsedURL> fileURL() const;
    std::optional<std::int64_t> guid() const;
    std::optional<std::string> identity() const;
    std::optional<std::string> anchorKey() const;
    std::string displayName() const;

    /// A fresh tile for an application the Dock has never shown. Its URL is
    /// fileURLString(app.path), except for an application known by a file URL whose path
    /// had to stay percent-encoded: that URL itself, so the identity survives.
    static DockTile make(const PresetApp& app);
    /// "file://" + encoded absolute path + "/".
    static std::string fileURLString(const std::string& path);

    /// The tile as one data value for the state file: a binary property list. The bytes
    /// belong to the tile and its copies and stay valid while any of them lives. Throws
    /// plist::PlistError when the dictionary cannot be serialised (every call, then).
    const plist::Data& encode() const;
    /// Parses a tile from its state-file bytes (binary or XML property list). Throws
    /// plist::PlistError on a parse failure and TileDecodingError("Tile is not a
    /// dictionary") when the top level is not a dictionary.
    static DockTile decode(const plist::Data& bytes);

    /// Same dictionary, or the same after an XML round trip; unequal if either side
    /// cannot be serialised.
    friend bool operator==(const DockTile& a, const DockTile& b);

private:
    struct Body {
        explicit Body(plist::Dictionary raw) : raw(std::move(raw)) {}
        const plist::Dictionary raw;
        mutable std::mutex encodingLock;
        mutable std::optional<plist::Data> encoding; // set once, by the first encode()
    };
    std::shared_ptr<const Body> body_;
};

} // namespace kestrine
