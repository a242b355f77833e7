#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrine {

/// Writes `bytes` to `path` so that the file holds either its old or its new content at
/// every moment: missing parent folders are created, the bytes go to a temporary file in
/// the same folder, are flushed to disk, and the temporary file is renamed over the
/// target. Throws std::filesystem::filesystem_error naming the path on any failure; the
/// temporary file is removed and the old file is left untouched.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

/// Reads a whole file. Throws std::filesystem::filesystem_error on failure.
std::string readFile(const std::filesystem::path& path);

/// Reads a whole file, or nothing when it does not exist. Other failures throw.
std::optional<std::string> readFileIfExists(const std::filesystem::path& path);

} // namespace kestrine
