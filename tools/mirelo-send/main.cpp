// mirelo-send: sends notifications to a Mirelo client as the groupware server does, and listens where
// the client relays them. 'mirelo-send --help' describes the commands.

#include <exception>
#include <iostream>

#include "command.h"

int main(int argc, char** argv) {
    try {
        mirelo_send::Context context{std::cout, std::cerr, std::cin, {}};
        const int exitCode = mirelo_send::RunTool(mirelo_send::Args(argv + 1, argv + argc), context);
        std::cout.flush();
        return exitCode;
    } catch (const std::exception& error) {
        std::cerr << "mirelo-send: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "mirelo-send: unexpected failure\n";
    }
    return mirelo_send::kExitInternal;
}
