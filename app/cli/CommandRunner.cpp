#include "app/cli/CommandRunner.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "core/model/PresetExchange.h"
#include "core/support/AtomicFile.h"
#include "core/support/Unicode.h"

namespace kestrine {

using nlohmann::json;

std::string CommandReply::encode() const {
    return json{{"status", status}, {"output", output}, {"error", error}}.dump();
}

CommandReply CommandReply::decode(const std::string& line) {
    try {
        const json reply = json::parse(line);
        CommandReply result;
        result.status = reply.at("status").get<int>();
        result.output = reply.at("output").get<std::string>();
        result.error = reply.at("error").get<std::string>();
        return result;
    } catch (const std::exception&) {
        return failure("Kestrine: the running instance gave an answer this command does not understand");
    }
}

namespace CommandRunner {

namespace {

std::string presetNames(const std::vector<Preset>& presets) {
    std::string names;
    for (std::size_t i = 0; i < presets.size(); ++i)
        names += (i ? ", " : "") + std::to_string(i + 1) + " " + presets[i].name;
    return names.empty() ? "there are none" : "there are: " + names;
}

std::string listText(const std::vector<Preset>& presets, const std::string& activeID, bool asJSON) {
    if (asJSON) {
        json list = json::array();
        for (std::size_t i = 0; i < presets.size(); ++i)
            list.push_back({{"number", i + 1},
                            {"name", presets[i].name},
                            {"emoji", presets[i].displayEmoji()},
                            {"apps", presets[i].apps.size()},
                            {"active", presets[i].id == activeID}});
        return list.dump(2) + "\n";
    }
    std::string text;
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const Preset& p = presets[i];
        const std::size_t count = p.apps.size();
        text += std::string(p.id == activeID ? "* " : "  ") + std::to_string(i + 1) + "  " + p.displayEmoji() + " " +
                p.name + "  (" + std::to_string(count) + (count == 1 ? " app" : " apps") + ")\n";
    }
    return text;
}

std::string statusText(const CommandStatus& status, const std::optional<Preset>& active, bool asJSON) {
    if (asJSON) {
        json shortcut{{"keys", status.shortcut}, {"registered", status.shortcutRegistered}};
        shortcut["problem"] = status.shortcutProblem ? json(*status.shortcutProblem) : json(nullptr);
        return json{{"dock", status.dock},
                    {"running", status.running},
                    {"activePreset", active ? json(active->name) : json(nullptr)},
                    {"shortcut", std::move(shortcut)},
                    {"supportDirectory", status.supportDirectory}}
                   .dump(2) +
               "\n";
    }
    std::string shortcut = status.shortcut + (status.shortcutRegistered ? " (registered)" : " (not registered");
    if (!status.shortcutRegistered)
        shortcut += status.shortcutProblem ? ": " + *status.shortcutProblem + ")" : std::string(")");
    return "Dock:           " + status.dock + "\n" +
           "Running:        " + (status.running ? "yes" : "no") + "\n" +
           "Active preset:  " + (active ? active->displayEmoji() + " " + active->name : std::string("none")) + "\n" +
           "Shortcut:       " + shortcut + "\n" +
           "Support folder: " + status.supportDirectory + "\n";
}

std::optional<Preset> activeOf(const std::vector<Preset>& presets, const std::string& activeID) {
    for (const Preset& p : presets)
        if (p.id == activeID) return p;
    return std::nullopt;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) throw std::runtime_error("cannot read " + path);
    return text.str();
}

CommandReply exportPresets(const Command& command, CommandTarget& target) {
    const std::vector<Preset> all = target.presets();
    std::vector<Preset> chosen;
    if (command.operands.empty()) {
        chosen = all;
    } else {
        std::set<std::string> seen;
        for (const std::string& operand : command.operands) {
            Preset p = find(all, operand);
            if (seen.insert(p.id).second) chosen.push_back(std::move(p));
        }
    }
    const std::string text = PresetExchange::encode(chosen);
    if (!command.output) return {0, text, {}};
    writeFileAtomically(*command.output, text);
    return {};
}

CommandReply importPresets(const Command& command, CommandTarget& target) {
    const std::string& file = command.operands.front();
    std::vector<Preset> presets;
    try {
        presets = PresetExchange::decode(readFile(file));
    } catch (const PresetExchangeError& error) {
        return CommandReply::failure("Kestrine: " + file + ": " + error.what() + "; nothing was imported");
    }
    std::string output;
    for (Preset& preset : presets) {
        // Names are compared as the editor compares them, and a name earlier in the same file
        // counts as taken once it has been added.
        preset.name = PresetExchange::freeName(preset.name, [&](const std::string& name) { return target.isNameTaken(name); });
        target.addPreset(preset);
        const std::size_t count = preset.apps.size();
        output += "Imported " + preset.name + " (" + std::to_string(count) + (count == 1 ? " app)\n" : " apps)\n");
    }
    return {0, output, {}};
}

}  // namespace

Preset find(const std::vector<Preset>& presets, const std::string& nameOrNumber) {
    if (!nameOrNumber.empty() && nameOrNumber.find_first_not_of("0123456789") == std::string::npos &&
        nameOrNumber.size() < 6) {
        const std::size_t number = std::stoul(nameOrNumber);
        if (number >= 1 && number <= presets.size()) return presets[number - 1];
    }
    for (const Preset& p : presets)
        if (p.name == nameOrNumber) return p;
    const std::string wanted = lowercased(trimmed(nameOrNumber));
    std::vector<const Preset*> matches;
    for (const Preset& p : presets)
        if (lowercased(trimmed(p.name)) == wanted) matches.push_back(&p);
    if (matches.size() == 1) return *matches.front();
    throw std::runtime_error((matches.empty() ? "no preset is named '" : "several presets are named '") + nameOrNumber +
                             "'; " + presetNames(presets));
}

CommandReply run(const Command& command, CommandTarget& target) {
    using Kind = Command::Kind;
    try {
        switch (command.kind) {
        case Kind::list:
            return {0, listText(target.presets(), target.activePresetID(), command.json), {}};
        case Kind::status: {
            const CommandStatus status = target.status();
            return {0, statusText(status, activeOf(target.presets(), target.activePresetID()), command.json), {}};
        }
        case Kind::activate: {
            const Preset preset = find(target.presets(), command.operands.front());
            target.activate(preset.id);
            return {};
        }
        case Kind::restoreOriginal:
            if (!target.restoreOriginal())
                return CommandReply::failure("Kestrine: there is no original dock to restore: Kestrine has not changed the dock yet");
            return {};
        case Kind::exportPresets:
            return exportPresets(command, target);
        case Kind::importPresets:
            return importPresets(command, target);
        case Kind::panel:
            target.togglePanel();
            return {};
        case Kind::settings:
            target.showSettings();
            return {};
        case Kind::start:
        case Kind::help:
        case Kind::version:
            break;
        }
        return {2, {}, "Kestrine: '" + CommandLine::name(command.kind) + "' is not a command\n" + CommandLine::usage()};
    } catch (const std::exception& error) {
        return CommandReply::failure(std::string("Kestrine: ") + error.what());
    }
}

}  // namespace CommandRunner

}  // namespace kestrine
