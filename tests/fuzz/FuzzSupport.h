#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/support/AtomicFile.h"

namespace kestrine::fuzz {

inline std::string_view bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

/// One scratch folder for the whole fuzzing run, for readers that take a file.
inline const std::filesystem::path& scratch() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrine-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) abort();
        // Removed when the run ends normally; a crashing run leaves it for inspection.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratch(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

/// Puts the input at `name` in the scratch folder and returns its path.
inline std::filesystem::path inputFile(const std::string& name, std::string_view input) {
    auto path = scratch() / name;
    writeFileAtomically(path, input);
    return path;
}

} // namespace kestrine::fuzz
