#pragma once
// The packager's command line, separate from main so tests can run it in-process.

#include <string>
#include <vector>

constexpr int EXIT_OK = 0;
constexpr int EXIT_PROBLEMS = 1;
constexpr int EXIT_USAGE = 2;

int RunTreskPack(const std::vector<std::string>& arguments);

// "200M", "64K", "2G" or a plain byte count; false for anything else.
bool ParseSize(const std::string& text, uint64_t& bytes);
