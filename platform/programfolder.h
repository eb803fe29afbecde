// The folder of the program file; the settings and tally files live there.
#pragma once

#include <QString>

// The program's folder with a trailing "/".
QString programFolder();
