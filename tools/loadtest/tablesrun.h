#pragma once

#include "tablesoptions.h"

// Opens the tables over several load processes, plays them for the measured window,
// leaves them idle, and prints the figures: answer times, requests a second, errors, and
// the server processes' memory and CPU. Returns the process exit code (0 unless the run
// itself failed; errors of the tables are counted and printed, not judged).
int runTables(const TablesOptions &options);
