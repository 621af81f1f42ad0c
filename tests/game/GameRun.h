// Whole games through the headless runner: a script in, one trace line a pass out.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace gamerun {

// Runs the runner on the script for the given passes; lines[p] is the trace line of pass p (index 0 is
// empty). Each test uses files of its own, since CTest runs tests side by side.
inline std::vector<std::string> RunScript(const std::string& script, int passes) {
    const std::string prefix = ::testing::TempDir() + "game-" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                               std::to_string(getpid());
    const std::string input = prefix + ".txt";
    const std::string trace = prefix + ".jsonl";
    {
        std::ofstream out(input);
        out << script;
    }
    const std::string command = std::string("'") + TRAMOLO_SIM_PATH + "' --quiet --passes " +
                                std::to_string(passes) + " --input '" + input + "' --trace '" + trace + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::string> lines(1);
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::remove(input.c_str());
    std::remove(trace.c_str());
    return lines;
}

// The number after "name": in a trace line, at or after from (the first occurrence: a global, or actor 0's
// field when from is where "Actors" begins). A missing field fails the test.
inline double NumberAfter(const std::string& line, const char* name, size_t from = 0) {
    const std::string key = std::string("\"") + name + "\":";
    const size_t at = line.find(key, from);
    EXPECT_NE(at, std::string::npos) << name;
    return at == std::string::npos ? -1 : std::strtod(line.c_str() + at + key.size(), nullptr);
}

// The whole number after "name": (see NumberAfter).
inline long long IntField(const std::string& line, const char* name) {
    return (long long)NumberAfter(line, name);
}

// The text after "name": in a trace line; "" when there is none.
inline std::string TextAfter(const std::string& line, const char* name) {
    const std::string key = std::string("\"") + name + "\":\"";
    const size_t at = line.find(key);
    if (at == std::string::npos) return "";
    const size_t end = line.find('"', at + key.size());
    return line.substr(at + key.size(), end - at - key.size());
}

} // namespace gamerun
