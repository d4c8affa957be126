// The digest of content_digest.h: two 32-bit words a step, the bytes that do
// not yet fill a step held over until the next piece.
#include "services/content_digest.h"

#include <cstring>

namespace ketrav::services {
namespace {

std::uint32_t little_endian_word(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// A word mixed with its keyed place. The first shift brings the high bits
// down before the multiplication, so that no bit's change passes through
// it as one known sum (a top bit flipped is 2^31 added, whatever the word);
// the multiplication and the second shift then make the change of the
// result depend on every bit of the unknown word and key, so that no choice
// of changes made without the key cancels in the sums but by chance.
inline std::uint32_t mixed(std::uint32_t word, std::uint32_t place) {
    std::uint32_t value = word ^ place;
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    return value ^ (value >> 15);
}

// Spreads every bit of a word over the whole word, so that the sums, mixed
// into the digest, do not cancel one another.
std::uint32_t spread(std::uint32_t value) {
    value ^= value >> 16;
    value *= 0x85EBCA6Bu;
    value ^= value >> 13;
    value *= 0xC2B2AE35u;
    return value ^ (value >> 16);
}

}  // namespace

ContentDigest::ContentDigest(std::uint64_t key)
    : sum_(static_cast<std::uint32_t>(key >> 32)), key_(key), place_(static_cast<std::uint32_t>(key)) {}

void ContentDigest::add_words(const unsigned char* bytes, std::size_t pairs) {
    // Few registers on a 32-bit PC: one sum and one sum of sums, two words
    // a turn, so that nothing spills and the loop's own work stays small.
    // Each word's place is the one before it plus an odd constant, so no
    // two places within 2^32 words (16 GiB) are the same.
    std::uint32_t sum = sum_, weighted = weighted_, place = place_;
    for (; pairs > 0; --pairs, bytes += 8) {
        sum += mixed(little_endian_word(bytes), place);
        weighted += sum;
        sum += mixed(little_endian_word(bytes + 4), place + 0x61C88647u);
        weighted += sum;
        place += 0xC3910C8Eu;
    }
    sum_ = sum;
    weighted_ = weighted;
    place_ = place;
}

void ContentDigest::add(const unsigned char* bytes, std::size_t size) {
    length_ += size;
    // Whole blocks, as a file is read: nothing held over either side.
    if (pending_size_ == 0 && size % 8 == 0) return add_words(bytes, size / 8);
    if (pending_size_ > 0) {
        std::size_t take = size < 8 - pending_size_ ? size : 8 - pending_size_;
        std::memcpy(pending_ + pending_size_, bytes, take);
        pending_size_ += take;
        bytes += take;
        size -= take;
        if (pending_size_ < 8) return;
        add_words(pending_, 1);
        pending_size_ = 0;
    }
    add_words(bytes, size / 8);
    pending_size_ = size % 8;
    std::memcpy(pending_, bytes + size - pending_size_, pending_size_);
}

std::uint64_t ContentDigest::value() const {
    // The bytes held over, padded with zeros: the length tells them apart
    // from real zeros.
    ContentDigest last = *this;
    unsigned char padded[8] = {};
    std::memcpy(padded, pending_, pending_size_);
    last.add_words(padded, 1);
    std::uint32_t high = spread(last.sum_ ^ spread(static_cast<std::uint32_t>(length_)));
    std::uint32_t low = spread(last.weighted_ ^ spread(static_cast<std::uint32_t>(length_ >> 32) ^ high));
    return static_cast<std::uint64_t>(high) << 32 | low;
}

}  // namespace ketrav::services
