// The allocation hook of the plug-ins' sweep builds (Palvex_sweep.dll and
// Kinetra_sweep.dll, made for tests only): every malloc, calloc, realloc and
// operator new of the module, its libraries included, first asks a decision
// function whether to fail, and the module counts the blocks it holds.
// Tests find the functions with GetProcAddress.
#pragma once

#include <cstdint>

extern "C" {
// Non-zero: the allocation being made fails.
typedef int (*VxSweepDecision)(void);
typedef void (*VxSweepSetDecisionFn)(VxSweepDecision decide);
typedef int32_t (*VxSweepCountFn)(void);
}

// Exported names. SetDecision(null) lets every allocation through.
constexpr const char kVxSweepSetDecision[] = "VxSweepSetDecision";
// Blocks the module's allocator holds now.
constexpr const char kVxSweepLiveBlocks[] = "VxSweepLiveBlocks";
// The module's live interface objects.
constexpr const char kVxSweepLiveObjects[] = "VxSweepLiveObjects";
