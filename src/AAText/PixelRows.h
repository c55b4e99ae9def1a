#pragma once
// The loops the effects run over raw rows of bytes, several bytes at a time where the processor
// has the instructions (SSE2 on every x86-64), with the same results byte for byte as the plain
// loops that follow them.
#include <cstddef>
#include <cstdint>

// Each byte p moves toward its target t by w/256 of the way: p + floor((t - p) * w / 256),
// always between p and t; w = 255 gives t exactly and w = 0 leaves p.
void MixRow(std::uint8_t* p, const std::uint8_t* t, const std::uint8_t* w, std::size_t n);

// One row of the 5 x 5 blur: the rounded mean n of the five column sums at each position
// (sums of five bytes each) and the byte p moved toward it by strength t (0..255; 255 takes n).
void BlurRow(std::uint8_t* p, const std::uint16_t* const rows[5], int t, std::size_t n);

// Adds to each byte a draw of the shared generator, Random(range) - half, kept within 0..255;
// states are the generator's states for the draws, one per byte.
void AddRandomRow(std::uint8_t* p, const std::uint32_t* states, int range, int half, std::size_t n);

// Each byte is its sum shifted right (sums up to 16 x 255): the last step of the reduction.
void ShiftRow(std::uint8_t* p, const std::uint16_t* sums, int shift, std::size_t n);
