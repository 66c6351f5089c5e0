// Runs a program to completion with its output captured, for tests that
// exercise an executable as a user would.
#ifndef KELMORA_TESTS_RUN_PROGRAM_H
#define KELMORA_TESTS_RUN_PROGRAM_H

#include <string>
#include <vector>

struct ProgramResult {
    int exit_code = -1; // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    bool timed_out = false;
    std::string out;
    std::string err;
};

// Runs `program` with `arguments`; kills it after `timeout_seconds`.
ProgramResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                          int timeout_seconds = 120);

#endif
