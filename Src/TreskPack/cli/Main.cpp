// TreskPack: builds, verifies and checks self-extracting installation packages.
//   TreskPack build ...   TreskPack sign ...   TreskPack verify ...   TreskPack lint ...   (--help for each)
// Exit codes: 0 ok, 1 package problems found, 2 usage error.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Commands.h"

#ifdef _WIN32
#include "text/Utf.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        std::wstring wide(argv[i]);
        arguments.push_back(Utf16ToUtf8(std::u16string(wide.begin(), wide.end())));
    }
    return RunTreskPack(arguments);
}
#else
int main(int argc, char** argv) {
    return RunTreskPack(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
