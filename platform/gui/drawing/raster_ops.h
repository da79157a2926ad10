#pragma once
// Bitwise mixing of pen, source and destination pixels, exactly as the classic mix modes
// and raster operations define them: every bit of the result is looked up in a truth table.

#include <cstdint>

// ROP2 mode (1..16) applied to a pen and a destination value. The code minus one is a
// 4-entry truth table indexed by (pen bit << 1 | destination bit).
inline std::uint32_t MixRop2(int rop2, std::uint32_t pen, std::uint32_t dest) {
  const unsigned table = static_cast<unsigned>(rop2 - 1) & 0xFu;
  switch (table) {
    case 12:
      return pen;  // copy
    case 6:
      return pen ^ dest;  // xor
    case 10:
      return dest;  // nop
    case 5:
      return ~dest;  // not
    default:
      break;
  }
  std::uint32_t result = 0;
  if (table & 1u) result |= ~pen & ~dest;
  if (table & 2u) result |= ~pen & dest;
  if (table & 4u) result |= pen & ~dest;
  if (table & 8u) result |= pen & dest;
  return result;
}

// Ternary raster operation (the DWORD code's bits 16..23 are an 8-entry truth table
// indexed by (pattern bit << 2 | source bit << 1 | destination bit)).
inline std::uint32_t MixRop3(std::uint32_t rop, std::uint32_t pattern, std::uint32_t source,
                             std::uint32_t dest) {
  const unsigned table = (rop >> 16) & 0xFFu;
  switch (table) {
    case 0xCC:
      return source;  // SRCCOPY
    case 0x88:
      return source & dest;  // SRCAND
    case 0xEE:
      return source | dest;  // SRCPAINT
    case 0x66:
      return source ^ dest;  // SRCINVERT
    case 0xBB:
      return ~source | dest;  // MERGEPAINT
    case 0x5A:
      return pattern ^ dest;  // PATINVERT
    case 0xF0:
      return pattern;  // PATCOPY
    case 0x55:
      return ~dest;  // DSTINVERT
    case 0x33:
      return ~source;  // NOTSRCCOPY
    case 0x00:
      return 0;  // BLACKNESS
    case 0xFF:
      return 0xFFFFFFFFu;  // WHITENESS
    default:
      break;
  }
  std::uint32_t result = 0;
  for (unsigned index = 0; index < 8; ++index) {
    if (!(table & (1u << index))) continue;
    const std::uint32_t p = (index & 4u) ? pattern : ~pattern;
    const std::uint32_t s = (index & 2u) ? source : ~source;
    const std::uint32_t d = (index & 1u) ? dest : ~dest;
    result |= p & s & d;
  }
  return result;
}

// Whether a raster operation reads the source or the pattern at all.
inline bool Rop3UsesSource(std::uint32_t rop) {
  const unsigned t = (rop >> 16) & 0xFFu;
  return ((t >> 2) & 0x33u) != (t & 0x33u);
}
inline bool Rop3UsesPattern(std::uint32_t rop) {
  const unsigned t = (rop >> 16) & 0xFFu;
  return ((t >> 4) & 0x0Fu) != (t & 0x0Fu);
}
