#pragma once
// Decoding of the exports' binary arrays: base64 text, optionally
// zlib-compressed, of 32- or 64-bit IEEE floats or of an MS-Numpress
// coding, straight into doubles.
// Every step checks what it is given against what was declared, because a
// damaged array must fail, never read as other numbers.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/openformat/numpress.h"

enum class ByteOrder { little, big };

struct BinaryLayout {
    int bits = 64;            // 32 or 64
    bool zlib = false;
    ByteOrder order = ByteOrder::little;
    Numpress numpress = Numpress::none;  // replaces the floats when set
};

// Decodes `count` values of `layout` from the base64 `text` (XML
// whitespace between its characters allowed). Returns "" on success, else
// what is wrong, for an error message. Nothing is allocated for more values
// than the text can hold, whatever `count` says.
std::string decodeBinaryArray(std::string_view text, const BinaryLayout& layout, std::size_t count,
                              std::vector<double>& values);

// Base64 `text` into bytes; false for a character outside the alphabet, a
// misplaced '=' or a length no encoder writes.
bool decodeBase64(std::string_view text, std::vector<unsigned char>& bytes);

// True when `text` holds only base64 characters, '=' and XML whitespace.
bool inBase64Alphabet(std::string_view text);
