#pragma once
// Helpers for the packager's native tests: scratch folders and files.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace packtest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::random_device random;
        path = fs::temp_directory_path() / ("treskpack_test_" + std::to_string(random()) + std::to_string(random()));
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    const fs::path& Path() const { return path; }

private:
    fs::path path;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs a shell command and returns its standard output.
inline std::string Run(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, read);
    int result = pclose(pipe);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

}  // namespace packtest
