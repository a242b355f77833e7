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
///
/// A symbolic link at `path` (or a chain of them) is written through: the file that the
/// link names is replaced, in that file's folder, and the link stays a link. A file that
/// is replaced keeps its permission bits (and, where allowed, its owner and group).
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

/// The file that `path` names once every symbolic link at its end is followed (relative
/// links are taken from the link's folder); `path` itself when it is not a link. The file
/// need not exist. Throws std::filesystem::filesystem_error for a loop of links.
std::filesystem::path resolvedWriteTarget(const std::filesystem::path& path);

/// Reads a whole file. Throws std::filesystem::filesystem_error on failure.
std::string readFile(const std::filesystem::path& path);

/// Reads a whole file, or nothing when it does not exist. Other failures throw.
std::optional<std::string> readFileIfExists(const std::filesystem::path& path);

/// Reads a small regular file, or nothing when it does not exist. Never blocks on a FIFO
/// or a device: anything that is not a regular file (after following links) throws
/// std::filesystem::filesystem_error, and so does a file larger than `maxBytes`.
std::optional<std::string> readRegularFileIfExists(const std::filesystem::path& path, std::size_t maxBytes);

} // namespace kestrine
