// The command-line front end: parses the arguments, loads the profile as the application does,
// applies the options and runs one Process. The profile is never written.
#pragma once

#include "platform/ProfileStore.h"
#include "platform/StringTypes.h"

#include <ostream>

// Exit statuses.
enum CliStatus { kCliDone = 0, kCliFailed = 1, kCliUsage = 2 };

// Runs the program on args (without the program name); the log goes to out byte for byte,
// messages to err. profile is the stored profile, read unless --no-profile is given.
int RunCommandLine(const CStringList& args, const ProfileStore& profile, std::ostream& out,
                   std::ostream& err);
