// Status codes returned by the encoder's begin/row/end operations. They are
// the plug-in statuses the host understands, so they pass up unchanged.
#pragma once

#include <cstdint>

namespace gif {

using Status = uint32_t;

constexpr Status kOk = 0;
constexpr Status kBadArgument = 0x80040001u;     // bad call order, row, kind or size
constexpr Status kOutOfMemory = 0x80040002u;     // the context's pools ran dry
constexpr Status kEncoderFailure = 0x800412C3u;  // any other encoder error

// Message codes the writer raises through the context's error manager.
constexpr int kErrWrongComponents = 1012;  // output_components is not 1
constexpr int kErrWrongColorSpace = 1014;  // out_color_space is neither grey nor RGB
constexpr int kErrTooManyColors = 1027;    // more than 256 colours in the map

}  // namespace gif
