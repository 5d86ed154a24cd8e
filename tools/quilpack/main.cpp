// quilpack: writes installation packages into a built installer stub.
#include "cli.h"
#include "file.h"

#include <iostream>

int main(int argc, char **argv) {
    int signo = 0;
    int const rc = quilpack::cliMain(quilpack::programArguments(argc, argv), std::cout, std::cerr, &signo);
    std::cout.flush();
    std::cerr.flush();
    // Interrupted: the output is cleaned up; end as the signal would have ended us.
    if (signo) quilpack::interruptExit(signo);
    return rc;
}
