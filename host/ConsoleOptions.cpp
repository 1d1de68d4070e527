#include "host/ConsoleOptions.h"

#include <cstdlib>

namespace {
std::vector<std::string> SplitActions(const std::string& text) {
    std::vector<std::string> actions;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) actions.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return actions;
}

bool IsKnownAction(const std::string& action) {
    const std::string toggle = "toggle:";
    return action == "enter" || action == "escape" || action == "pause" || action == "close-console" ||
           (action.rfind(toggle, 0) == 0 && action.size() > toggle.size());
}

bool ParseAnswer(const std::string& text, DialogAnswer& answer) {
    size_t equals = text.find('=');
    if (equals == 0 || equals == std::string::npos) return false;
    answer.caption = text.substr(0, equals);
    answer.actions = SplitActions(text.substr(equals + 1));
    if (answer.actions.empty()) return false;
    for (const std::string& action : answer.actions)
        if (!IsKnownAction(action)) return false;
    return true;
}

bool ParseMilliseconds(const std::string& text, unsigned& value) {
    char* end = nullptr;
    unsigned long parsed = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed > 600000) return false;
    value = static_cast<unsigned>(parsed);
    return true;
}
}  // namespace

bool ParseConsoleOptions(int argc, char** argv, ConsoleOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--exit") {
            options.exitAtEnd = true;
            continue;
        }
        if (option == "--open-menu") {
            options.menuSteps.push_back({true, ""});
            continue;
        }
        const bool takesArgument = option == "--hkcu" || option == "--hklm" || option == "--log" || option == "--answer" ||
                                   option == "--menu" || option == "--hold" || option == "--release";
        if (!takesArgument) {
            error = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            error = option + " needs an argument";
            return false;
        }
        const std::string argument = argv[++i];
        if (option == "--hkcu") {
            options.hkcuPath = argument;
        } else if (option == "--hklm") {
            options.hklmPath = argument;
        } else if (option == "--log") {
            options.logPath = argument;
        } else if (option == "--menu") {
            options.menuSteps.push_back({false, argument});
        } else if (option == "--release") {
            options.releaseFile = argument;
        } else if (option == "--hold") {
            if (!ParseMilliseconds(argument, options.holdMs)) {
                error = "--hold needs milliseconds, got " + argument;
                return false;
            }
        } else {
            DialogAnswer answer;
            if (!ParseAnswer(argument, answer)) {
                error = "--answer needs CAPTION=ACTION[,ACTION...] with enter, escape, pause or toggle:ROW, got " + argument;
                return false;
            }
            options.answers.push_back(answer);
        }
    }
    return true;
}
