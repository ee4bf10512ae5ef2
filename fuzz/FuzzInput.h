// SPDX-License-Identifier: MIT
#pragma once

// Reads a fuzzer's input as a stream of small choices; past the end every read gives zero or nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace ondrel::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return offset_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[offset_++]; }
    // A text of up to `maxLength` bytes, its length taken from the input first.
    std::string text(std::size_t maxLength) {
        const std::size_t length = std::min<std::size_t>(byte() % (maxLength + 1), size_ - offset_);
        std::string result(reinterpret_cast<const char*>(data_ + offset_), length);
        offset_ += length;
        return result;
    }
    std::string_view rest() const { return {reinterpret_cast<const char*>(data_ + offset_), size_ - offset_}; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

// A broken promise: libFuzzer keeps the input that caused it.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace ondrel::fuzz
