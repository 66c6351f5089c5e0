#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

extern char** environ;

namespace {

struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe() {
        int ends[2];
        if (pipe(ends) != 0) {
            throw std::runtime_error("pipe failed");
        }
        read_end = ends[0];
        write_end = ends[1];
    }
};

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, Pipe& out,
            Pipe& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.write_end, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write_end, STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out.read_end);
    posix_spawn_file_actions_addclose(&actions, err.read_end);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out.write_end);
    close(err.write_end);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    return pid;
}

// Reads both pipes until they close or the deadline passes.
bool drain(Pipe& out, Pipe& err, ProgramResult& result, int timeout_seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    pollfd fds[2] = {{out.read_end, POLLIN, 0}, {err.read_end, POLLIN, 0}};
    Pipe* pipes[2] = {&out, &err};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_pipes = 2;
    while (open_pipes > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        poll(fds, 2, static_cast<int>(left.count()));
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                pipes[i]->read_end = -1;
                --open_pipes;
            }
        }
    }
    return true;
}

} // namespace

ProgramResult run_program(const std::string& program, const std::vector<std::string>& arguments,
                          int timeout_seconds) {
    Pipe out, err;
    ProgramResult result;
    const pid_t pid = spawn(program, arguments, out, err);
    if (!drain(out, err, result, timeout_seconds)) {
        result.timed_out = true;
        kill(pid, SIGKILL);
    }
    for (const int still_open : {out.read_end, err.read_end}) {
        if (still_open >= 0) {
            close(still_open);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exit_code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}
