#pragma once

// Resident memory of a process from /proc/<pid>/status, in KiB; -1 when unreadable.
struct MemoryFigures
{
    long rssKiB = -1;
    long peakRssKiB = -1; // VmHWM: the kernel's own high-water mark
};

MemoryFigures readMemory(int pid);
