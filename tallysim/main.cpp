// tallysim: one Varnel device (56K business modem, ISDN TA or IDSL modem) on a
// pseudo-terminal, for tests and demonstrations without the hardware.

#include "options.h"
#include "server.h"

#include <cstdio>

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto &a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(sim::usageText().c_str(), stdout);
            return 0;
        }
    sim::Options opts;
    std::string error = sim::parseOptions(args, opts);
    if (!error.empty()) {
        std::fprintf(stderr, "tallysim: %s\n%s", error.c_str(), sim::usageText().c_str());
        return 2;
    }
    sim::Server server(opts);
    return server.run();
}
