#include "app/StartSequence.h"

int main(int argc, char** argv) {
    kestrune::RunProgram(argc, argv);
}
