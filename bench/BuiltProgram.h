// The program built beside a benchmark: <build>/bench/bench_x → <build>/app/kestrine.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <optional>

namespace kestrine::bench {

inline std::optional<std::filesystem::path> builtProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    const std::filesystem::path candidate = self.parent_path().parent_path() / "app" / "kestrine";
    if (::access(candidate.c_str(), X_OK) != 0) return std::nullopt;
    return candidate;
}

}  // namespace kestrine::bench
