// libFuzzer entry of the inifile target (see targets/inifile.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_inifile::fuzzOne(data, size);
}
