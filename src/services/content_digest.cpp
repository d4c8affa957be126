// The digest of content_digest.h: eight bytes a step, two lanes of
// multiply-and-rotate, the bytes that do not yet fill a step held over.
#include "services/content_digest.h"

#include <cstring>

namespace ketrav::services {
namespace {

std::uint32_t rotate_left(std::uint32_t value, int by) { return (value << by) | (value >> (32 - by)); }

std::uint32_t little_endian_word(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint32_t final_mix(std::uint32_t value) {
    value ^= value >> 16;
    value *= 0x85EBCA6Bu;
    value ^= value >> 13;
    value *= 0xC2B2AE35u;
    return value ^ (value >> 16);
}

}  // namespace

void ContentDigest::mix(std::uint32_t first, std::uint32_t second) {
    lane_a_ = rotate_left(lane_a_ ^ first, 13) * 0x9E3779B1u;
    lane_b_ = rotate_left(lane_b_ ^ second, 17) * 0x85EBCA77u;
}

void ContentDigest::add(const unsigned char* bytes, std::size_t size) {
    length_ += size;
    if (pending_size_ > 0) {
        std::size_t take = size < 8 - pending_size_ ? size : 8 - pending_size_;
        std::memcpy(pending_ + pending_size_, bytes, take);
        pending_size_ += take;
        bytes += take;
        size -= take;
        if (pending_size_ < 8) return;
        mix(little_endian_word(pending_), little_endian_word(pending_ + 4));
        pending_size_ = 0;
    }
    for (; size >= 8; bytes += 8, size -= 8) mix(little_endian_word(bytes), little_endian_word(bytes + 4));
    std::memcpy(pending_, bytes, size);
    pending_size_ = size;
}

std::uint64_t ContentDigest::value() const {
    unsigned char last[8] = {};
    std::memcpy(last, pending_, pending_size_);
    std::uint32_t a = rotate_left(lane_a_ ^ little_endian_word(last), 13) * 0x9E3779B1u;
    std::uint32_t b = rotate_left(lane_b_ ^ little_endian_word(last + 4), 17) * 0x85EBCA77u;
    a ^= static_cast<std::uint32_t>(length_) ^ rotate_left(b, 7);
    b ^= static_cast<std::uint32_t>(length_ >> 32) ^ rotate_left(a, 11);
    return static_cast<std::uint64_t>(final_mix(a)) << 32 | final_mix(b);
}

}  // namespace ketrav::services
