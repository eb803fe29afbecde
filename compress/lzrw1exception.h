// Failure of a compressed-file operation; the message names the file and what went wrong.
#pragma once

#include <stdexcept>
#include <string>

class ELzrw1Exception : public std::runtime_error
{
public:
    explicit ELzrw1Exception(const std::string &message)
        : std::runtime_error(message)
    {
    }
};
