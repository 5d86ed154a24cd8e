// The command line of quilpack.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quilpack {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1; // every refusal and every failure to read or write
constexpr int kExitUsage = 2;   // the command line itself is wrong

// Runs quilpack with ARGS (without the program name): results on OUT, errors and warnings on
// ERR. Returns the exit code; *PSIGNAL is set to the interrupt that stopped a pack (after its
// output was cleaned up), which the caller should then die of.
int cliMain(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, int *pSignal);

} // namespace quilpack
