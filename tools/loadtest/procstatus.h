#pragma once

// Resident memory of a process from /proc/<pid>/status, in KiB; -1 when unreadable.
struct MemoryFigures
{
    long rssKiB = -1;
    long peakRssKiB = -1; // VmHWM: the kernel's own high-water mark
};

MemoryFigures readMemory(int pid);

// CPU time a process has used (user and system), in seconds; -1 when unreadable.
double readCpuSeconds(int pid);

// Proportional set size from /proc/<pid>/smaps_rollup, in KiB (shared pages divided among
// the processes that map them); -1 when unreadable.
long readPssKiB(int pid);
