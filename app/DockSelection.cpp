#include "app/DockSelection.h"

#include <cstdlib>

#include "app/platform/linux/DockDetection.h"

namespace kestrine::DockSelection {
namespace {

DockChoice parseOrThrow(const std::string& value, const std::string& source) {
    if (auto choice = DockChoice::parse(value)) return *choice;
    throw std::invalid_argument(source + ": unknown dock \"" + value +
                                "\" (use file, gnome, plank or plank:NAME)");
}

} // namespace

Request read(const std::vector<std::string>& arguments, const AppPaths::EnvironmentLookup& environment) {
    Request request;
    const std::string prefix = std::string(option) + "=";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind(prefix, 0) == 0) {
            request.dock = parseOrThrow(argument.substr(prefix.size()), option);
        } else if (argument == option) {
            if (i + 1 >= arguments.size()) throw std::invalid_argument(std::string(option) + " needs a dock name");
            request.dock = parseOrThrow(arguments[++i], option);
        } else {
            request.remaining.push_back(argument);
        }
    }
    if (!request.dock) {
        const auto value = environment(variable);
        if (value && !value->empty()) request.dock = parseOrThrow(*value, variable);
    }
    return request;
}

DockChoice resolve(const Request& request, const AppPaths::EnvironmentLookup& environment) {
    if (request.dock) return *request.dock;
    return DockDetection::detect(environment);
}


} // namespace kestrine::DockSelection
