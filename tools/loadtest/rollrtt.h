#pragma once

#include <string>

// Plays seat 1 of a fresh host against the computer player and times each roll request
// (CMD_rollthedice) until its CMD_createdice arrives: the protocol's share of
// click-to-dice. Prints median and worst; returns the process exit code.
int runRollRoundTrips(const std::string &address, int port, int rolls);
