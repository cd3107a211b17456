// A page of 10-point text at 600 dpi on A4, drawn from simple letter shapes
// (stems, bowls, arches, diagonals, dots) in words, lines and paragraphs, with
// a heading, a rule and a grey box, so that the encoders see what a text page
// gives them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TextPage {
  uint32_t width = 0;   // pixels
  uint32_t height = 0;  // rows
  uint32_t rowBytes = 0;
  std::vector<uint8_t> bits;  // rows of rowBytes, most significant bit leftmost, 1 black

  const uint8_t* Row(uint32_t y) const { return bits.data() + size_t(y) * rowBytes; }
};

TextPage MakeTextPage(uint32_t width, uint32_t height, uint32_t seed);

// Writes the page as a binary PBM ("P4"); false on failure.
bool WritePbm(const TextPage& page, const std::string& path);
