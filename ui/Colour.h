// The controls' colour type, the colours they name and how colours compare. OS-independent.
#pragma once

#include <cstdint>

namespace velmora::ui {

// 0x00BBGGRR; with the top bit set, the low bits name a system colour by its index, which the
// window layer resolves before drawing.
using TColor = uint32_t;

constexpr TColor clOlive = 0x00008080u;
constexpr TColor clLime = 0x0000FF00u;
constexpr TColor clFuchsia = 0x00FF00FFu;

constexpr TColor kSystemColor = 0x80000000u;
constexpr TColor clWindow = kSystemColor | 5;
constexpr TColor clBtnFace = kSystemColor | 15;
constexpr TColor clBtnShadow = kSystemColor | 16;
constexpr bool IsSystemColor(TColor c) { return (c & kSystemColor) != 0; }
constexpr int SystemColorIndex(TColor c) { return int(c & 0xFFu); }

// The colour's own bits; pixels read from a DIB carry alpha above them.
constexpr TColor kRgbMask = 0x00FFFFFFu;
constexpr bool SameColor(TColor a, TColor b) { return ((a ^ b) & kRgbMask) == 0; }

// A 32-bit DIB pixel (0xAARRGGBB) to a colour and back: red and blue change places, alpha is dropped.
constexpr TColor SwapRedBlue(uint32_t p) { return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu); }

}  // namespace velmora::ui
