#include "app/cli/CommandLine.h"

#include <array>
#include <filesystem>
#include <utility>

namespace kestrine::CommandLine {

namespace {

using Kind = Command::Kind;

constexpr std::array<std::pair<const char*, Kind>, 8> commandNames{{
    {"list", Kind::list},
    {"activate", Kind::activate},
    {"panel", Kind::panel},
    {"settings", Kind::settings},
    {"restore-original", Kind::restoreOriginal},
    {"export", Kind::exportPresets},
    {"import", Kind::importPresets},
    {"status", Kind::status},
}};

UsageError error(std::string message) {
    return UsageError{std::move(message)};
}

std::string absolute(const std::string& path, const std::string& workingDirectory) {
    const std::filesystem::path p(path);
    if (p.is_absolute()) return path;
    return (std::filesystem::path(workingDirectory) / p).lexically_normal().string();
}

}  // namespace

std::string name(Kind kind) {
    for (const auto& [text, k] : commandNames)
        if (k == kind) return text;
    return {};
}

std::string usage() {
    return "Usage: kestrine [--dock=NAME] [COMMAND [ARGUMENTS]]\n"
           "\n"
           "Without a command, starts Kestrine (or shows the window of the one running).\n"
           "\n"
           "Commands:\n"
           "  list [--json]              the presets: number, name, emoji, application count; * marks the active one\n"
           "  activate NAME|NUMBER       switch the dock to a preset\n"
           "  panel                      show or hide the key panel\n"
           "  settings                   show the settings window\n"
           "  restore-original [--yes]   put back the dock as it was before Kestrine first changed it\n"
           "  export [NAME...] [-o FILE] write presets (all when none is named) as JSON\n"
           "  import FILE                add the presets of an export\n"
           "  status [--json]            the dock managed, the active preset, the shortcut, the support folder\n"
           "\n"
           "Options:\n"
           "  --dock=NAME                the dock to manage: file, gnome, plank or plank:NAME (else detected)\n"
           "  -h, --help                 show this help\n"
           "  --version                  show the version\n"
           "\n"
           "Exit status: 0 done, 1 failed (the reason on standard error), 2 wrong usage.\n";
}

std::variant<Command, UsageError> parse(const std::vector<std::string>& arguments) {
    Command command;
    bool commandSeen = false;
    bool onlyOperands = false;
    auto takesOption = [&](std::initializer_list<Kind> kinds) {
        for (Kind k : kinds)
            if (commandSeen && command.kind == k) return true;
        return false;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = !onlyOperands && argument.size() > 1 && argument[0] == '-';
        if (!isOption) {
            if (!commandSeen) {
                bool known = false;
                for (const auto& [text, kind] : commandNames)
                    if (argument == text) {
                        command.kind = kind;
                        known = true;
                    }
                if (!known) return error("unknown command '" + argument + "'");
                commandSeen = true;
                continue;
            }
            command.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyOperands = true;
            continue;
        }
        if (argument == "--dock" || argument.rfind("--dock=", 0) == 0) {
            std::string value;
            if (argument == "--dock") {
                if (i + 1 >= arguments.size()) return error("--dock needs a dock name");
                value = arguments[++i];
            } else {
                value = argument.substr(7);
            }
            if (value.empty()) return error("--dock needs a dock name");
            command.dock = value;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            command.kind = Kind::help;
            return command;
        }
        if (argument == "--version" && !commandSeen) {
            command.kind = Kind::version;
            commandSeen = true;
            continue;
        }
        if (argument == loginItemArgument && !commandSeen) {
            command.loginItem = true;
            continue;
        }
        if (argument == "--json" && takesOption({Kind::list, Kind::status})) {
            command.json = true;
            continue;
        }
        if ((argument == "--yes" || argument == "-y") && takesOption({Kind::restoreOriginal})) {
            command.yes = true;
            continue;
        }
        if ((argument == "-o" || argument == "--output" || argument.rfind("--output=", 0) == 0) &&
            takesOption({Kind::exportPresets})) {
            if (argument.rfind("--output=", 0) == 0) {
                command.output = argument.substr(9);
            } else {
                if (i + 1 >= arguments.size()) return error(argument + " needs a file name");
                command.output = arguments[++i];
            }
            if (command.output->empty()) return error(argument + " needs a file name");
            continue;
        }
        return error("unknown option '" + argument + "'" +
                     (commandSeen ? " for " + name(command.kind) : std::string()));
    }

    if (command.loginItem && commandSeen) return error("--login-item starts the application and takes no command");
    switch (command.kind) {
    case Kind::activate:
        if (command.operands.size() != 1) return error("activate needs exactly one preset name or number");
        break;
    case Kind::importPresets:
        if (command.operands.size() != 1) return error("import needs exactly one file");
        break;
    case Kind::exportPresets:
        break;
    default:
        if (!command.operands.empty())
            return error((command.kind == Kind::start ? std::string("kestrine") : name(command.kind)) +
                         " takes no argument '" + command.operands.front() + "'");
    }
    return command;
}

std::vector<std::string> arguments(const Command& command, const std::string& workingDirectory) {
    std::vector<std::string> out;
    if (command.dock) out.push_back("--dock=" + *command.dock);
    out.push_back(name(command.kind));
    if (command.json) out.push_back("--json");
    if (command.yes) out.push_back("--yes");
    if (command.output) {
        out.push_back("-o");
        out.push_back(absolute(*command.output, workingDirectory));
    }
    out.push_back("--");
    for (const std::string& operand : command.operands)
        out.push_back(command.kind == Kind::importPresets ? absolute(operand, workingDirectory) : operand);
    return out;
}

}  // namespace kestrine::CommandLine
