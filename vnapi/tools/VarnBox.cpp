// VarnBox: a network box with a virtual unit behind it. The unit is built
// from the set-up and memory files of a folder, as the bench builds its own,
// and served over TCP until SIGINT or SIGTERM.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

#include "vnapi/NetworkBox.h"
#include "vnapi/VirtualUnit.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

constexpr const char* Usage =
    "Usage: VarnBox [--folder DIR] [--listen ADDRESS] [--port N]\n"
    "Serves a virtual Varn unit to the bench's connection type 39 (\"Vn with &IP Box\").\n"
    "  --folder DIR      the unit's folder with VarnUnit.ini and VarnUnit.mem (default: .)\n"
    "  --listen ADDRESS  the address to listen on (default: 127.0.0.1)\n"
    "  --port N          the TCP port (default: 4000)\n"
    "  --help            this text\n"
    "Runs in the foreground; Ctrl+C stops it.\n";

void LogLine(const std::string& line)
{
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::cout << stamp << " " << line << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder = ".";
    NetworkBoxOptions options;
    options.StopOnSignals = true;
    options.Log = LogLine;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (arg == "--folder" && hasValue) {
            folder = argv[++i];
        } else if (arg == "--listen" && hasValue) {
            options.Listen = argv[++i];
        } else if (arg == "--port" && hasValue) {
            char* end = nullptr;
            const unsigned long port = std::strtoul(argv[++i], &end, 10);
            if (!end || *end || port == 0 || port > 65535) {
                std::cerr << "VarnBox: not a port: " << argv[i] << "\n";
                return 2;
            }
            options.Port = static_cast<uint16_t>(port);
        } else {
            std::cerr << "VarnBox: unknown argument: " << arg << "\n" << Usage;
            return 2;
        }
    }
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    VirtualUnitPair unit = CreateVirtualUnitInFolder(folder);
    NetworkBox box(*unit.Api, options);
    std::string error;
    if (!box.Start(&error)) {
        std::cerr << "VarnBox: cannot listen on " << options.Listen << ":" << options.Port << ": " << error << "\n";
        return 1;
    }
    LogLine("serving the unit of " + folder + " on " + options.Listen + ":" + std::to_string(box.Port()));
    box.Run();
    LogLine("stopped");
    return 0;
}
