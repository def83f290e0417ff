#include <iostream>
#include <string>
#include <vector>

#include "launch/client/RdpClientAdapter.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return kestrune::RunRdpClientAdapter(arguments, kestrune::RunFreeRdpClient, std::cerr);
}
