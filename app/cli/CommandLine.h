// What the program was asked to do by its arguments: start as usual, or run one command
// ("kestrine list", "kestrine activate Work", ...) and end. No Qt: the command line is read
// before any application object exists.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kestrine {

struct Command {
    enum class Kind { start, help, version, list, activate, panel, settings, restoreOriginal, exportPresets, importPresets, status };

    Kind kind = Kind::start;
    bool loginItem = false;            // start: launched by the login item
    bool json = false;                 // list, status
    bool yes = false;                  // restore-original: do not ask
    std::vector<std::string> operands; // activate: one preset; export: presets; import: one file
    std::optional<std::string> output; // export -o FILE
    std::optional<std::string> dock;   // --dock=NAME, for every command

    // Whether the command is carried out by the application with its windows (panel,
    // settings) rather than by reading and writing its files.
    bool needsWindows() const { return kind == Kind::panel || kind == Kind::settings; }

    friend bool operator==(const Command&, const Command&) = default;
};

/// A command line that cannot be carried out as written: exit status 2 with the usage.
struct UsageError {
    std::string message;
};

namespace CommandLine {

/// The single argument the login item starts the program with.
inline constexpr const char* loginItemArgument = "--login-item";

/// `arguments` are the command line after the program's name.
std::variant<Command, UsageError> parse(const std::vector<std::string>& arguments);

/// The command's name as typed ("restore-original").
std::string name(Command::Kind kind);

/// The usage text, ending in a new line.
std::string usage();

/// The arguments that say the same command again, for the running instance; files named
/// relative to `workingDirectory` become absolute.
std::vector<std::string> arguments(const Command& command, const std::string& workingDirectory);

}  // namespace CommandLine

}  // namespace kestrine
