// The runner's test harness, shared by its test files: reading files and trace fields, running the runner
// in this process (RunnerTest) or as a binary in a folder of its own between shell steps (RunBinary).
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/sim/Runner.h"
#include "platform/Platform.h"
#include "world/DatenStruktur.h"

namespace runnertest {

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

inline bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// The whole number after "name": in a trace line.
inline long long Field(const std::string& line, const char* name) {
    const std::string key = std::string("\"") + name + "\":";
    const size_t at = line.find(key);
    return at == std::string::npos ? -999999 : std::strtoll(line.c_str() + at + key.size(), nullptr, 10);
}

// The number after "name": in a trace line, fraction included; its first occurrence is actor 0's for the
// fields of a car.
inline double Number(const std::string& line, const char* name) {
    const std::string key = std::string("\"") + name + "\":";
    const size_t at = line.find(key);
    return at == std::string::npos ? -999999.0 : std::strtod(line.c_str() + at + key.size(), nullptr);
}

// Runs a shell command that ends by printing a status, and returns that status.
inline int ShellStatus(const std::string& command) {
    FILE* shell = popen(command.c_str(), "r");
    if (shell == nullptr) return -1;
    char status[32] = "";
    const bool read = std::fgets(status, sizeof status, shell) != nullptr;
    pclose(shell);
    return read ? std::atoi(status) : -1;
}

// Runs the command in the background until the shell condition holds, then sends it the signal and returns
// its exit status. A condition that does not hold within 2400 looks 50 ms apart (two minutes or more) gives
// -1, a command that ends before it -2: the command is killed or reaped either way, and the test fails
// instead of waiting for ever.
inline constexpr const char* SignalNeverSent =
    "the condition never held, or the runner ended before it (-1, -2)";
inline int SignalWhen(const std::string& command, const std::string& condition, const char* signal) {
    return ShellStatus(command + " & pid=$!; n=0; until " + condition +
                       "; do if ! kill -0 $pid 2>/dev/null; then wait $pid; echo -2; exit; fi; n=$((n + 1)); "
                       "if [ $n -gt 2400 ]; then kill -KILL $pid; wait $pid; echo -1; exit; fi; sleep 0.05; "
                       "done; kill -" +
                       signal + " $pid; wait $pid; echo $?");
}

// text in single quotes for the shell, whatever bytes it holds.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The runner binary with args (words apart by spaces), in folder, between two shell steps: before it starts,
// and during its run. Its output and error go to folder.out and folder.err; returns its exit status, 124
// when it ran a minute.
inline int RunBinary(const std::string& folder, const std::string& before, const std::string& args,
                     const std::string& during, const std::string& redirect = "") {
    std::string command =
        "d=" + Quoted(folder) + "; mkdir -p \"$d\" && cd \"$d\" || exit; " +
        "waitfor() { n=0; until test $1 \"$2\"; do n=$((n + 1)); [ $n -gt 1200 ] && return 1; "
        "sleep 0.05; done; }; { :; " +
        before + "\n} >/dev/null 2>&1; timeout 60 " TRAMOLO_SIM_PATH;
    std::istringstream words(args);
    for (std::string word; words >> word;)
        command += " " + Quoted(word);
    command += " >\"$d.out\" 2>\"$d.err\" " + redirect + " & sim=$!; { :; " + during +
               "\n} >/dev/null 2>&1; wait $sim; echo $?";
    return ShellStatus(command);
}

// The files in folder in name order, space-separated: "name=text" for each that reads as a file (its last
// newline dropped), the name alone for anything else.
inline std::string FolderFiles(const std::string& folder) {
    std::set<std::string> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    std::string files;
    for (const std::string& name : names) {
        files += (files.empty() ? "" : " ") + name;
        if (!std::filesystem::is_regular_file(folder + "/" + name)) continue;
        const std::string text = ReadFile(folder + "/" + name);
        files += "=" + text.substr(0, text.find_last_not_of('\n') + 1);
    }
    return files;
}

class RunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearGameState();
        ResetPlatformState();
        prefix = ::testing::TempDir() + "runner-test-" + std::to_string(getpid()) + "-";
        tracePath = prefix + "trace.jsonl";
        scriptPath = prefix + "script.txt";
        pngPath = prefix + "frame.png";
    }
    void TearDown() override {
        for (const std::string& path : {tracePath, scriptPath, pngPath})
            std::remove(path.c_str());
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "tramolo-sim");
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        return RunSimulator((int)args.size(), argv.data());
    }

    // Runs a script with a trace; returns the exit code and leaves the trace's lines in lines.
    int RunScript(const std::string& script, std::vector<std::string> args = {}) {
        std::ofstream(scriptPath, std::ios::binary) << script;
        args.insert(args.end(), {"--quiet", "--input", scriptPath, "--trace", tracePath});
        const int code = Run(args);
        lines.clear();
        std::istringstream text(ReadFile(tracePath));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return code;
    }

    std::string prefix, tracePath, scriptPath, pngPath;
    std::vector<std::string> lines;
};

} // namespace runnertest
