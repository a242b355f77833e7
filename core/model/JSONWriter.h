#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrine {

/// Writes JSON text straight into a string, byte for byte as nlohmann::json's dump(2)
/// writes the same values: one member or element a line, two spaces of indentation a
/// level, `"key": value`, empty containers as {} and [], strings escaped as it escapes
/// them (only '"', '\\' and control characters; other text, "/" and DEL included, as it
/// is). Members come out in the order they are given: a caller that wants sorted keys
/// gives them sorted.
///
/// A string that is not valid UTF-8 throws nlohmann::json::type_error with nlohmann's own
/// message. Calls must nest properly (a key before every member value, every container
/// closed); the writer does not check.
class JSONWriter {
public:
    explicit JSONWriter(std::string& out) : out_(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    /// Names the next member of the object being written.
    void key(std::string_view name);

    void string(std::string_view text);
    void integer(std::int64_t value);
    void boolean(bool value);

private:
    void open(char bracket);
    void close(char bracket);
    void beforeValue();
    void newLine();
    void quoted(std::string_view text);

    std::string& out_;
    std::vector<std::size_t> counts_; // members or elements so far, per open container
    bool afterKey_ = false;
};

} // namespace kestrine
