// The resident memory of this process, for the start-up and memory probes.
#pragma once

#include <fstream>
#include <string>

inline long long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6));
    }
    return -1;
}
