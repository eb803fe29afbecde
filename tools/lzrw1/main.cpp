// dorvane-lzrw1: compresses and restores tally files by hand.
#include "lzrw1.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: dorvane-lzrw1 [--mode good|fast|auto] [--threshold PERCENT] compress IN OUT\n"
                         "       dorvane-lzrw1 decompress IN OUT\n"
                         "  fast = LZRW1/KH (\"WRZL\", what the game writes), good = LZH (\"!HZL\"),\n"
                         "  auto = sample the input and choose; the default is fast.\n");
    return 2;
}

bool parseMode(const char *text, TCompressMode &mode)
{
    if (std::strcmp(text, "good") == 0)
        mode = TCompressMode::Good;
    else if (std::strcmp(text, "fast") == 0)
        mode = TCompressMode::Fast;
    else if (std::strcmp(text, "auto") == 0)
        mode = TCompressMode::Auto;
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    Tlzrw1 doit;
    doit.setCompressMode(TCompressMode::Fast);
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        TCompressMode mode;
        if (std::strcmp(argv[i], "--mode") == 0 && parseMode(argv[i + 1], mode))
            doit.setCompressMode(mode);
        else if (std::strcmp(argv[i], "--threshold") == 0)
            doit.setThreshold(std::atoi(argv[i + 1]));
        else
            return usage();
    }
    if (argc - i != 3)
        return usage();
    const std::string command = argv[i];
    if (command != "compress" && command != "decompress")
        return usage();
    doit.setInputFile(argv[i + 1]);
    doit.setOutputFile(argv[i + 2]);
    try {
        const std::int64_t written = command == "compress" ? doit.Compress() : doit.Decompress();
        std::printf("%s -> %s: %lld bytes written\n", argv[i + 1], argv[i + 2], static_cast<long long>(written));
        return 0;
    } catch (const ELzrw1Exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
