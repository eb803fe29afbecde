// Compressed file container: "WRZL" + size + LZRW1/KH blocks, or "!HZL" + size + one LZH
// stream. Files only; every failure raises ELzrw1Exception and leaves no output file.
#pragma once

#include "lzh.h"
#include "lzrw1exception.h"
#include "lzrw1kh.h"

#include <cstdint>
#include <cstdio>
#include <string>

enum class TCompressMode { Good = 0, Fast = 1, Auto = 2 };

class Tlzrw1
{
public:
    const std::string &InputFile() const { return m_inputFile; }
    void setInputFile(const std::string &name) { m_inputFile = name; }
    // Created by Compress/Decompress, replacing any file of that name.
    const std::string &OutputFile() const { return m_outputFile; }
    void setOutputFile(const std::string &name) { m_outputFile = name; }
    // Method of Compress: Good = LZH, Fast = LZRW1/KH, Auto = as Advise recommends.
    TCompressMode CompressMode() const { return m_compressMode; }
    void setCompressMode(TCompressMode mode) { m_compressMode = mode; }
    // Percent of the sampled input that LZRW1/KH must stay under for Advise to pick it.
    int Threshold() const { return m_threshold; }
    void setThreshold(int percent) { m_threshold = percent; }

    // Compresses InputFile into OutputFile; returns the bytes written.
    std::int64_t Compress();
    // Restores OutputFile from the container InputFile (either kind); returns the bytes written.
    std::int64_t Decompress();
    // True when LZRW1/KH is recommended for InputFile. Inputs under 96 KiB get LZH, and
    // then CompressMode becomes Good.
    bool Advise();

private:
    class Output;

    std::int64_t compressBlocks(std::FILE *in, Output &out, std::uintmax_t size);
    std::int64_t compressLzh(std::FILE *in, Output &out, std::uintmax_t size);
    std::string compressReadFailure() const;
    std::int64_t decompressBlocks(std::FILE *in, Output &out, std::uint32_t size);
    std::int64_t decompressLzh(std::FILE *in, Output &out, std::uint32_t size);
    void readExactly(std::FILE *in, void *buf, std::size_t n);
    std::int64_t sampleAt(std::FILE *in, std::int64_t offset, std::uint8_t *inBuf, std::uint8_t *outBuf,
                          std::int64_t &coded);

    std::string m_inputFile;
    std::string m_outputFile;
    TCompressMode m_compressMode = TCompressMode::Good;
    int m_threshold = 40;
    TLZR m_lzr;
    TLZH m_lzh;
};
