#include "cli/CommandLine.h"
#include "platform/TextMode.h"

#include <iostream>

int main(int argc, char** argv) {
    SetStdoutBinary();
    CStringList args(argv + 1, argv + argc);
    UserProfile profile("Vellacor", "Brevix");
    return RunCommandLine(args, profile, std::cout, std::cerr);
}
