#pragma once

#include <filesystem>
#include <string>

#include "core/model/StateStorage.h"
#include "core/support/JsonFile.h"

namespace kestrine {

/// A state file that cannot be read or a state that cannot be written. The message names
/// the file and the place: "state.json: presets[1].name: missing required key".
class StateFileError : public JSONFormatError {
public:
    using JSONFormatError::JSONFormatError;
};

/// Keeps the state in one JSON file, written atomically with sorted keys and indentation.
/// Loading never writes; a file that does not exist loads as the empty state.
class JSONFileStateStorage : public StateStorage {
public:
    explicit JSONFileStateStorage(std::filesystem::path url) : url(std::move(url)) {}

    /// Location of the state file.
    std::filesystem::path url;

    /// The empty state when no file exists. Throws std::filesystem::filesystem_error when
    /// the file cannot be read and StateFileError when it is not a valid state file.
    AppState load() override;
    /// Creates the folder if needed and replaces the file atomically: on any failure the
    /// old file stays as it was. Throws StateFileError when the state cannot be encoded,
    /// std::filesystem::filesystem_error when it cannot be written.
    void save(const AppState& state) override;

    /// The file's bytes for `state`. `fileName` only labels error messages.
    static std::string encode(const AppState& state, const std::string& fileName = "state.json");
    /// The state that `text` holds; throws StateFileError naming `fileName` and the place.
    static AppState decode(const std::string& text, const std::string& fileName = "state.json");
};

} // namespace kestrine
