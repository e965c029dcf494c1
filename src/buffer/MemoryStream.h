#pragma once
// An in-memory byte stream with a position, the unit every data file is built from.
#include "core/Errors.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace muralto {

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    size_t Size() const { return bytes_.size(); }
    size_t Position() const { return position_; }
    size_t Remaining() const { return position_ < bytes_.size() ? bytes_.size() - position_ : 0; }
    void Seek(size_t position) { position_ = position; }
    const std::string& Bytes() const { return bytes_; }
    std::string TakeBytes() {
        position_ = 0;
        return std::move(bytes_);
    }
    void Clear() {
        bytes_.clear();
        position_ = 0;
    }
    void Reserve(size_t size) { bytes_.reserve(size); }

    // Reads up to size bytes; returns how many were read.
    size_t Read(void* target, size_t size) {
        const size_t n = size < Remaining() ? size : Remaining();
        if (n)
            std::memcpy(target, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    // Reads exactly size bytes or raises the read error.
    void ReadBuffer(void* target, size_t size) {
        if (size > Remaining())
            throw EReadError();
        Read(target, size);
    }
    std::string_view ReadView(size_t size) {
        if (size > Remaining())
            throw EReadError();
        std::string_view view(bytes_.data() + position_, size);
        position_ += size;
        return view;
    }
    int32_t ReadInt32() {
        uint8_t b[4];
        ReadBuffer(b, 4);
        return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                       (uint32_t(b[3]) << 24));
    }

    void Write(const void* source, size_t size) {
        if (size == 0)
            return;
        if (position_ > bytes_.size())
            bytes_.resize(position_, '\0');
        const size_t overlap = bytes_.size() - position_ < size ? bytes_.size() - position_ : size;
        std::memcpy(bytes_.data() + position_, source, overlap);
        bytes_.append(static_cast<const char*>(source) + overlap, size - overlap);
        position_ += size;
    }
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void WriteInt32(int32_t value) {
        const auto v = uint32_t(value);
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        Write(b, 4);
    }

private:
    std::string bytes_;
    size_t position_ = 0;
};

} // namespace muralto
