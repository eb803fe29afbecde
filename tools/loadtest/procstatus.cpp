#include "procstatus.h"

#include <cstdlib>
#include <fstream>
#include <string>

MemoryFigures readMemory(int pid)
{
    MemoryFigures figures;
    if (pid <= 0)
        return figures;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            figures.rssKiB = std::atol(line.c_str() + 6);
        else if (line.rfind("VmHWM:", 0) == 0)
            figures.peakRssKiB = std::atol(line.c_str() + 6);
    }
    return figures;
}
