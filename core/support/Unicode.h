#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kestrine {

/// Full Unicode lower-casing, independent of the user's locale.
std::string lowercased(std::string_view utf8);

/// Removes Unicode white space and line breaks from both ends.
std::string trimmed(std::string_view utf8);

/// True when `needle` occurs in `haystack` ignoring case (full case folding).
bool containsIgnoringCase(std::string_view haystack, std::string_view needle);

/// The order a file browser uses for names: the user's locale, case ignored, digits
/// compared by numeric value ("App 2" before "App 10"). Building the collator is costly,
/// so keep one instance for a whole sort. Not safe for concurrent use.
class NameCollator {
public:
    /// `locale` is an ICU locale id; empty means the user's default locale.
    explicit NameCollator(const std::string& locale = {});
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    /// Negative, zero or positive as `a` sorts before, with or after `b`.
    int compare(std::string_view a, std::string_view b) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kestrine
