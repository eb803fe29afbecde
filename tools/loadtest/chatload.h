#pragma once

#include <string>

struct ChatLoadOptions
{
    std::string address = "127.0.0.1";
    int port = 7772;
    int clients = 9;
    int lines = 200;
    int hostPid = 0;
};

// Connects the clients, logs them in, lets each send its chat lines as fast as it can
// and checks that every line reaches every connection, each sender's lines in order.
// Prints the figures; returns the process exit code (0 = nothing lost).
int runChatLoad(const ChatLoadOptions &options);
