#include "Simulator.h"

#include <cstdio>

int main()
{
    std::puts("orvan-sim: not serving yet");
    return 0;
}
