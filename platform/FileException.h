// Exceptions raised by the framework's file objects. The program's own code throws nothing; the
// engine's face turns these into a run's status, and one that escapes a command reaches the
// message dispatch, which shows what() to the user.
#pragma once

#include <stdexcept>
#include <string>

class CException : public std::runtime_error {
public:
    explicit CException(const std::string& message) : std::runtime_error(message) {}
};

// A read or close error of a file opened through CStdioFile.
class CFileException : public CException {
public:
    explicit CFileException(const std::string& message) : CException(message) {}
};
