#include "io/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <filesystem>
#include <random>

#include "io/File.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#ifdef _WIN32

namespace {

// Through cmd: the whole line in one more pair of quotation marks, which cmd takes off again.
bool RunThroughShell(const std::string& command, ProcessResult& result, std::string& error) {
    std::string line = "\"" + command + " 2>&1\"";
    std::wstring text = std::filesystem::u8path(line).wstring();
    FILE* pipe = _wpopen(text.c_str(), L"rb");
    if (!pipe) {
        error = "cannot start " + command;
        return false;
    }
    char buffer[4096];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, read);
    result.exitCode = _pclose(pipe);
    return true;
}

}  // namespace

std::string ShellQuote(const std::string& text) {
    // For the C runtime's argument parser: quotation marks escaped, backslashes before them doubled.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

bool RunProgram(const std::vector<std::string>& arguments, const std::string& input, ProcessResult& result,
                std::string& error) {
    result = ProcessResult();
    std::string command;
    for (const auto& argument : arguments) command += (command.empty() ? "" : " ") + ShellQuote(argument);
    std::string inputFile;
    if (!input.empty()) {
        std::error_code code;
        std::random_device random;
        inputFile = (std::filesystem::temp_directory_path(code) /
                     ("treskpack_input_" + std::to_string(random()) + std::to_string(random())))
                        .u8string();
        if (!WriteWholeFile(inputFile, input, error)) return false;
        command += " < " + ShellQuote(inputFile);
    }
    bool started = RunThroughShell(command, result, error);
    if (!inputFile.empty()) {
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::u8path(inputFile), ignored);
    }
    return started;
}

bool RunShellCommand(const std::string& command, ProcessResult& result, std::string& error) {
    result = ProcessResult();
    return RunThroughShell(command, result, error);
}

#else

namespace {

bool Spawn(const std::vector<std::string>& arguments, const std::string& input, ProcessResult& result,
           std::string& error) {
    result = ProcessResult();
    int in[2], out[2];
    if (pipe(in) != 0) {
        error = "cannot create a pipe";
        return false;
    }
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        error = "cannot create a pipe";
        return false;
    }
    // The ends this process keeps are not inherited.
    fcntl(in[1], F_SETFD, FD_CLOEXEC);
    fcntl(out[0], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addclose(&actions, in[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (status != 0) {
        close(in[1]);
        close(out[0]);
        error = "cannot start " + arguments[0] + ": " + std::strerror(status);
        return false;
    }
    // The input is small (a password); a program that never reads it gets a closed pipe.
    signal(SIGPIPE, SIG_IGN);
    for (size_t written = 0; written < input.size();) {
        ssize_t count = write(in[1], input.data() + written, input.size() - written);
        if (count <= 0) break;
        written += static_cast<size_t>(count);
    }
    close(in[1]);
    char buffer[4096];
    ssize_t read;
    while ((read = ::read(out[0], buffer, sizeof(buffer))) != 0) {
        if (read < 0) {
            if (errno == EINTR) continue;
            break;
        }
        result.output.append(buffer, static_cast<size_t>(read));
    }
    close(out[0]);
    int waited = 0;
    while (waitpid(child, &waited, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
    // posix_spawnp reports a program it cannot find only through the child's exit code 127.
    if (result.exitCode == 127 && result.output.empty()) {
        error = "cannot start " + arguments[0] + ": not found";
        return false;
    }
    return true;
}

}  // namespace

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool RunProgram(const std::vector<std::string>& arguments, const std::string& input, ProcessResult& result,
                std::string& error) {
    if (arguments.empty()) {
        error = "no program to run";
        return false;
    }
    return Spawn(arguments, input, result, error);
}

bool RunShellCommand(const std::string& command, ProcessResult& result, std::string& error) {
    return Spawn({"/bin/sh", "-c", command}, std::string(), result, error);
}

#endif
