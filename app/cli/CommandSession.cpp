#include "app/cli/CommandSession.h"

#include <QCoreApplication>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "app/AppDelegate.h"
#include "app/AppWiring.h"
#include "app/cli/CommandRunner.h"
#include "app/cli/ControllerCommandTarget.h"
#include "app/cli/ModelCommandTarget.h"

namespace kestrine::CommandSession {

namespace {

std::string workingDirectory() {
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    return error ? std::string("/") : path.string();
}

CommandReply usageReply(const std::string& message) {
    return {2, {}, "Kestrine: " + message + "\n" + CommandLine::usage()};
}

}  // namespace

int print(const CommandReply& reply) {
    if (!reply.output.empty()) std::fwrite(reply.output.data(), 1, reply.output.size(), stdout);
    if (!reply.error.empty()) std::fwrite(reply.error.data(), 1, reply.error.size(), stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    return reply.status;
}

bool confirm(const Command& command) {
    if (command.kind != Command::Kind::restoreOriginal || command.yes) return true;
    std::fputs("Put back the dock as it was before Kestrine first changed it? [y/N] ", stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) answer.clear();
    if (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) return true;
    std::fputs("Kestrine: nothing was restored (pass --yes to restore without asking)\n", stderr);
    return false;
}

int sendToRunning(const Command& command, SingleInstance& instance) {
    const nlohmann::json arguments = CommandLine::arguments(command, workingDirectory());
    const auto reply = instance.request(SingleInstance::commandPrefix + arguments.dump());
    if (!reply) {
        std::fprintf(stderr, "Kestrine is running but did not answer: %s\n", instance.problem().c_str());
        return 1;
    }
    return print(CommandReply::decode(*reply));
}

int runHere(const Command& command, const AppLocations& locations, int& argc, char** argv) {
    // For the string tables only: no display is opened.
    QCoreApplication application(argc, argv);
    std::unique_ptr<ControllerCommandTarget> target;
    try {
        target = std::make_unique<ControllerCommandTarget>(locations);
    } catch (const std::exception& error) {
        return print(CommandReply::failure(std::string("Kestrine: cannot read the presets: ") + error.what()));
    }
    return print(CommandRunner::run(command, *target));
}

SingleInstance::CommandHandler handler(AppDelegate& delegate, const AppLocations& locations) {
    const std::string support = locations.supportDirectory.string();
    const std::string dockName = locations.dock.name();
    return [&delegate, support, dockName](const std::string& request) {
        std::vector<std::string> arguments;
        try {
            arguments = nlohmann::json::parse(request).get<std::vector<std::string>>();
        } catch (const std::exception&) {
            return usageReply("the request is not a list of arguments").encode();
        }
        const auto parsed = CommandLine::parse(arguments);
        if (const auto* error = std::get_if<UsageError>(&parsed)) return usageReply(error->message).encode();
        const Command& command = std::get<Command>(parsed);
        const auto asked = command.dock ? DockChoice::parse(*command.dock) : std::nullopt;
        if (command.dock && (!asked || asked->name() != dockName))
            return CommandReply::failure("Kestrine: the running instance manages the " + dockName +
                                         " dock; quit it to work on the " + *command.dock + " dock")
                .encode();
        if (command.kind == Command::Kind::start) {
            delegate.showSettings();
            return CommandReply{}.encode();
        }
        ModelCommandTarget target(delegate, dockName, support);
        return CommandRunner::run(command, target).encode();
    };
}

}  // namespace kestrine::CommandSession
