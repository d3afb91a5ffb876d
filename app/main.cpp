// zarvento: the command-line program. It opens a part document and runs the
// library's commands on the headless host.
#include <cstring>
#include <iostream>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: zarvento <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  help       show this text\n"
    "  version    show the version\n"
    "\n"
    "exit codes: 0 success, 1 the command failed, 2 wrong usage\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "version" || command == "--version") {
        std::cout << "zarvento 0.1\n";
        return 0;
    }
    std::cerr << "zarvento: unknown command '" << command << "'\n" << kUsage;
    return 2;
}
