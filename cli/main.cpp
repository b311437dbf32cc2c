#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "platform/TextMode.h"
#include "settings/SettingsRecord.h"

#include <iostream>

int main(int argc, char** argv) {
    SetStdoutBinary();
    IgnoreBrokenPipes();
    CStringList args(argv + 1, argv + argc);
    UserProfile profile(kCompanyKey, kApplicationName);
    CliSurroundings surroundings;
    surroundings.errIsTerminal = StandardErrorIsTerminal();
    surroundings.outIsTerminal = StandardOutputIsTerminal();
    surroundings.catchSignals = true;
    surroundings.columns = StandardErrorColumns;
    Utf8Console console;
    return RunCommandLine(args, profile, std::cout, std::cerr, surroundings);
}
