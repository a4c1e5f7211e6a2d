#pragma once
// The MS-Numpress codings of peak arrays (Teleman et al., Mol. Cell.
// Proteomics 2014): "linear" (fixed point, second differences in half-byte
// integers, for m/z), "pic" (positive integers in half bytes, for ion
// counts) and "slof" (a fixed-point logarithm in 16 bits, for intensities).
#include <cstddef>
#include <string>
#include <vector>

enum class Numpress { none, linear, pic, slof };

// The most values that `bytes` bytes of `coding` can hold: what a declared
// length is checked against before anything is allocated for it.
std::size_t numpressCapacity(Numpress coding, std::size_t bytes);
// The most bytes that `count` values take in `coding`.
std::size_t numpressSize(Numpress coding, std::size_t count);

// Decodes exactly `count` values; "" on success, else what is wrong.
std::string decodeNumpress(Numpress coding, const unsigned char* bytes, std::size_t size, std::size_t count,
                           std::vector<double>& values);
