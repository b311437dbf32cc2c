#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "platform/TextMode.h"
#include "settings/SettingsRecord.h"

#include <iostream>
#include <thread>

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
    // With a second processor the finish threads overlap the file system's work for each file
    // with the scan of the next chunks from the first file on; with one, only once closing
    // turns out slow.
    surroundings.finishFromStart = std::thread::hardware_concurrency() > 1;
    Utf8Console console;
    return RunCommandLine(args, profile, std::cout, std::cerr, surroundings);
}
