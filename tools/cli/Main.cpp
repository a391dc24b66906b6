#include <iostream>
#include <string>
#include <vector>

#include "tools/cli/Cli.h"

int main(int argc, char** argv) {
    const int code = RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    std::cout.flush();
    return code;
}
