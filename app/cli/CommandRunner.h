// Carries out one command on a target and says what to print and which exit status to end with.
// The same code answers in the command's own process and in the running instance, which sends
// the reply back over the single-instance channel.
#pragma once

#include <string>

#include "app/cli/CommandLine.h"
#include "app/cli/CommandTarget.h"

namespace kestrine {

struct CommandReply {
    int status = 0;      // 0 done, 1 failed, 2 wrong usage
    std::string output;  // for standard output
    std::string error;   // for standard error: one line on failure

    static CommandReply failure(std::string message) { return {1, {}, std::move(message) + "\n"}; }

    /// One line of JSON, for the single-instance channel.
    std::string encode() const;
    /// A reply line read back; status 1 saying so when it is not a reply.
    static CommandReply decode(const std::string& line);
};

namespace CommandRunner {

/// Restore-original is expected to be confirmed already (by --yes or by the user).
CommandReply run(const Command& command, CommandTarget& target);

/// The preset that `nameOrNumber` names: its number in the list (1 for the first), else its name
/// exactly, else its name ignoring case and surrounding spaces. Throws with a message that lists
/// the presets when none or several match.
Preset find(const std::vector<Preset>& presets, const std::string& nameOrNumber);

}  // namespace CommandRunner

}  // namespace kestrine
