// libFuzzer entry of the chatlayout target (see targets/chatlayout.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_chatlayout::fuzzOne(data, size);
}
