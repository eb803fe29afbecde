#include "procstatus.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

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

double readCpuSeconds(int pid)
{
    if (pid <= 0)
        return -1;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return -1;
    // The command name may hold spaces and parentheses: the fields follow the last ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = -1;
    long long stime = -1;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::atoll(field.c_str());
        else if (n == 15)
            stime = std::atoll(field.c_str());
    }
    if (utime < 0 || stime < 0)
        return -1;
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

long readPssKiB(int pid)
{
    if (pid <= 0)
        return -1;
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(rollup, line)) {
        if (line.rfind("Pss:", 0) == 0)
            return std::atol(line.c_str() + 4);
    }
    return -1;
}
