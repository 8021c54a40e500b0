// Bounded text helpers for the fixed buffers of the scan state.
#pragma once

#include <cstddef>

namespace vs {

// Copies source into a buffer of capacity bytes, cutting it to fit; always terminates.
void copyText(char* destination, std::size_t capacity, const char* source);

// Appends source to the text in a buffer of capacity bytes. Returns false, leaving the buffer
// unchanged, when the result would not fit.
bool appendText(char* destination, std::size_t capacity, const char* source);

}  // namespace vs
