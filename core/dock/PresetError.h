#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>

namespace kestrine {

/// A preset operation refused its arguments. Thrown before the state is touched.
class PresetError : public std::runtime_error {
public:
    enum class Code {
        cannotDeleteDefault, // the default preset cannot be deleted
        emptyName,           // the name is empty after trimming
        nameTaken,           // another preset has this name
        notFound,            // no preset has this id
    };

    explicit PresetError(Code code) : std::runtime_error(describe(code)), code_(code) {}

    static PresetError cannotDeleteDefault() { return PresetError(Code::cannotDeleteDefault); }
    static PresetError emptyName() { return PresetError(Code::emptyName); }
    static PresetError nameTaken() { return PresetError(Code::nameTaken); }
    static PresetError notFound() { return PresetError(Code::notFound); }

    Code code() const { return code_; }

    friend bool operator==(const PresetError& a, const PresetError& b) { return a.code_ == b.code_; }

private:
    static const char* describe(Code code) {
        switch (code) {
        case Code::cannotDeleteDefault: return "the default preset cannot be deleted";
        case Code::emptyName: return "a preset needs a name";
        case Code::nameTaken: return "another preset already has this name";
        case Code::notFound: return "no preset has this id";
        }
        return "preset error";
    }

    Code code_;
};

} // namespace kestrine

template <>
struct std::hash<kestrine::PresetError> {
    std::size_t operator()(const kestrine::PresetError& error) const noexcept {
        return std::hash<int>()(static_cast<int>(error.code()));
    }
};
