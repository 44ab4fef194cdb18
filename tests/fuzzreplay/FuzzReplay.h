// Replays saved fuzz inputs without libFuzzer, so that every build (the
// Windows ones too) runs the seeds, corpora and kept crashers as a test.
#pragma once

#include <cstdint>
#include <vector>

// argv[1..]: files or folders (walked recursively; files named README are
// notes, not inputs). Each file's bytes go to feed once. Prints
// "replayed N inputs"; returns 0 when at least one input was replayed and
// every argument could be read, 1 otherwise.
int RunFuzzReplay(int argc, char** argv, void (*feed)(const std::vector<uint8_t>& data));
