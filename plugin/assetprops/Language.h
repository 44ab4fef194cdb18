// The host's user-interface language, as a Windows primary language
// identifier.
#pragma once

#include <cstdint>

// Asks the host library Tesk32 (ordinal 1262): 1 Japanese (17), 2 French
// (12), 3 German (7), anything else English (9).
int32_t HostLanguageId();

// The mapping alone.
int32_t LanguageIdForHostAnswer(int32_t answer);
