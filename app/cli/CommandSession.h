// How a command meets the single-instance guard: sent to the running instance (one request, one
// reply), carried out here under the lock when none runs, or answered by the running instance
// for a later command.
#pragma once

#include <string>

#include "app/cli/CommandLine.h"
#include "app/platform/linux/SingleInstance.h"

namespace kestrine {

class AppDelegate;
struct AppLocations;
struct CommandReply;

namespace CommandSession {

/// Restore-original without --yes asks on the terminal; true when the user agreed.
bool confirm(const Command& command);

/// Sends the command to the running instance, prints its reply and returns its exit status;
/// 1 saying so when it does not answer.
int sendToRunning(const Command& command, SingleInstance& instance);

/// Carries out a command that needs no window in this process, over the files of the dock of
/// `locations`; the caller holds the single-instance lock. Prints and returns the exit status.
int runHere(const Command& command, const AppLocations& locations, int& argc, char** argv);

/// The running instance's answer to commands of later starts.
SingleInstance::CommandHandler handler(AppDelegate& delegate, const AppLocations& locations);

/// Prints a reply and returns its status.
int print(const CommandReply& reply);

}  // namespace CommandSession

}  // namespace kestrine
