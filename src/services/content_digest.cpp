// The digest of content_digest.h: NH two words at a time, each block's sum
// taken into the polynomial as the block ends, the bytes that do not yet
// fill a pair held over until the next piece.
#include "services/content_digest.h"

#include <cstring>

#include "platform/secret_number.h"

namespace ketrav::services {
namespace {

constexpr std::size_t block_pairs = ContentDigest::block_words / 2;
constexpr std::uint64_t low_half = 0xFFFFFFFFu;

std::uint32_t little_endian_word(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// NH's term for one pair of words: each word plus its key word modulo
// 2^32, the two multiplied into 64 bits.
inline std::uint64_t pair_term(const unsigned char* bytes, const std::uint32_t* key) {
    std::uint32_t first = little_endian_word(bytes) + key[0];
    std::uint32_t second = little_endian_word(bytes + 4) + key[1];
    return static_cast<std::uint64_t>(first) * second;
}

// A value below 2^63 brought below the prime: 2^61 is 1 modulo it.
std::uint64_t reduce(std::uint64_t value) {
    value = (value & ContentDigest::prime) + (value >> 61);
    return value >= ContentDigest::prime ? value - ContentDigest::prime : value;
}

// One step of Horner's rule: the polynomial so far times the point, plus
// the next coefficient (below 2^32).
std::uint64_t take_coefficient(std::uint64_t polynomial, std::uint64_t point, std::uint64_t coefficient) {
    return reduce(multiply_modulo_prime(polynomial, point) + coefficient);
}

std::uint64_t take_sum(std::uint64_t polynomial, std::uint64_t point, std::uint64_t sum) {
    polynomial = take_coefficient(polynomial, point, sum >> 32);
    return take_coefficient(polynomial, point, sum & low_half);
}

}  // namespace

std::uint64_t multiply_modulo_prime(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
    // The compiler's 128-bit integer where the target has one (a GNU
    // extension: __extension__ keeps -Wpedantic quiet about it).
    __extension__ using Wide = unsigned __int128;
    Wide product = static_cast<Wide>(a) * b;  // below 2^122
    return reduce((static_cast<std::uint64_t>(product) & ContentDigest::prime) +
                  static_cast<std::uint64_t>(product >> 61));
#else
    // Four 32-bit products, each part brought below 2^61 with 2^61 = 1 and
    // 2^64 = 8: a and b are below 2^61, so their high halves below 2^29.
    std::uint64_t a_low = a & low_half, a_high = a >> 32, b_low = b & low_half, b_high = b >> 32;
    std::uint64_t low = a_low * b_low;                    // below 2^64
    std::uint64_t middle = a_low * b_high + a_high * b_low;  // below 2^62, weighing 2^32
    std::uint64_t high = a_high * b_high;                 // below 2^58, weighing 2^64
    std::uint64_t sum = (low & ContentDigest::prime) + (low >> 61) +          // below 2^61 + 8
                        ((middle & ((std::uint64_t{1} << 29) - 1)) << 32) +  // below 2^61
                        (middle >> 29) +                                     // below 2^33
                        (high << 3);                                         // below 2^61
    return reduce(sum);
#endif
}

platform::OsStatus ContentDigest::draw_key(Key& key) {
    platform::OsStatus drawn = platform::secret_bytes(key.words, sizeof key.words);
    // A point drawn again in the one case in 2^61 it is not below the prime,
    // so that every point is as likely.
    for (int attempt = 0; drawn.ok && attempt < 4; ++attempt) {
        drawn = platform::secret_bytes(&key.point, sizeof key.point);
        key.point &= prime;
        if (drawn.ok && key.point < prime) return drawn;
    }
    return drawn.ok ? platform::OsStatus::failure(platform::error_gen_failure) : drawn;
}

ContentDigest::ContentDigest() = default;

ContentDigest::ContentDigest(const Key& key) : key_(key) {}

void ContentDigest::add_pairs(const unsigned char* bytes, std::size_t pairs) {
    while (pairs > 0) {
        std::size_t room = block_pairs - block_pairs_;
        std::size_t take = pairs < room ? pairs : room;
        // The loop a log's every byte goes through: two words, one
        // multiplication, one 64-bit sum, with no carry or reduction to
        // make until the block ends (the sum wraps modulo 2^64 as NH's does).
        const std::uint32_t* key = key_.words + 2 * block_pairs_;
        std::uint64_t sum = block_sum_;
        for (std::size_t pair = 0; pair < take; ++pair, bytes += 8, key += 2) sum += pair_term(bytes, key);
        block_sum_ = sum;
        block_pairs_ += take;
        pairs -= take;
        if (block_pairs_ == block_pairs) end_block();
    }
}

void ContentDigest::end_block() {
    polynomial_ = take_sum(polynomial_, key_.point, block_sum_);
    block_sum_ = 0;
    block_pairs_ = 0;
}

void ContentDigest::add(const unsigned char* bytes, std::size_t size) {
    length_ += size;
    // Whole blocks, as a file is read: nothing held over either side.
    if (pending_size_ == 0 && size % 8 == 0) return add_pairs(bytes, size / 8);
    if (pending_size_ > 0) {
        std::size_t take = size < 8 - pending_size_ ? size : 8 - pending_size_;
        std::memcpy(pending_ + pending_size_, bytes, take);
        pending_size_ += take;
        bytes += take;
        size -= take;
        if (pending_size_ < 8) return;
        add_pairs(pending_, 1);
        pending_size_ = 0;
    }
    add_pairs(bytes, size / 8);
    pending_size_ = size % 8;
    std::memcpy(pending_, bytes + size - pending_size_, pending_size_);
}

std::uint64_t ContentDigest::value() const {
    // The bytes held over, padded with zeros (two contents of one length
    // are padded alike), end the last block, then the length is taken.
    std::uint64_t sum = block_sum_, polynomial = polynomial_;
    std::size_t pairs = block_pairs_;
    if (pending_size_ > 0) {
        unsigned char padded[8] = {};
        std::memcpy(padded, pending_, pending_size_);
        sum += pair_term(padded, key_.words + 2 * pairs);
        ++pairs;
    }
    if (pairs > 0) polynomial = take_sum(polynomial, key_.point, sum);
    return take_sum(polynomial, key_.point, length_);
}

}  // namespace ketrav::services
