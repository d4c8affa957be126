// A digest of a run of bytes as they were read, fed in pieces of any size:
// the same bytes give the same digest however they were cut up. Made to
// tell whether a file still holds what was read from it, whatever was done
// to it meanwhile, by someone who may have read this code and the file but
// never sees the key: a secret of the run's, random from the system, never
// stored, gone with the run's memory.
//
// The hash is the two-layer one of UMAC (Black, Halevi, Krawczyk, Krovetz
// and Rogaway, "UMAC: Fast and Secure Message Authentication", CRYPTO '99):
// - NH on each block of 1,024 bytes, as 256 little-endian 32-bit words:
//   the sum, modulo 2^64, of (m[2i] + k[2i] mod 2^32) * (m[2i+1] + k[2i+1]
//   mod 2^32). For any two different blocks of one length, the chance over
//   the key k that their sums are equal is at most 2^-32 (their Theorem
//   4.2: NH is 2^-w-almost-universal on equal-length strings, w = 32).
// - The sums, each as two 32-bit halves, then the length's two halves, are
//   the coefficients of a polynomial over the field of p = 2^61 - 1,
//   evaluated at a random point r. Two different lists of d coefficients
//   give the same value for at most d of the p points.
// So two different contents of one length L, however chosen, give the same
// digest with a chance of at most
//     2^-32 + (2 * ceil(L / 1024) + 2) / (2^61 - 1)
// over the key: one block whose sums differ not, or a root of the
// difference polynomial. For a log of 4 GiB that is under 1.02 * 2^-32;
// for 1 TiB, under 1.3 * 2^-30. Contents of different lengths are told
// apart by the length itself. The NH layer costs one 32-by-32-bit
// multiplication for each 8 bytes on every target.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/os_status.h"

namespace ketrav::services {

class ContentDigest {
   public:
    static constexpr std::size_t block_words = 256;  // 1,024 bytes a block
    static constexpr std::uint64_t prime = (std::uint64_t{1} << 61) - 1;

    // The key: a word for each word of a block, and the polynomial's point,
    // below `prime`. Only digests under one key compare.
    struct Key {
        std::uint32_t words[block_words];
        std::uint64_t point;
    };
    // Draws a key from the system's random source; fails, with no key,
    // where the system gives no random bytes (see secret_number.h).
    static platform::OsStatus draw_key(Key& key);

    ContentDigest();  // under a key of zeros: for a digest never compared with another's
    explicit ContentDigest(const Key& key);
    const Key& key() const { return key_; }
    void add(const unsigned char* bytes, std::size_t size);
    // The digest of every byte added so far.
    std::uint64_t value() const;
    std::uint64_t length() const { return length_; }

   private:
    void add_pairs(const unsigned char* bytes, std::size_t pairs);
    void end_block();

    Key key_{};
    std::uint64_t block_sum_ = 0;   // NH of the block under way
    std::size_t block_pairs_ = 0;   // its word pairs added so far
    std::uint64_t polynomial_ = 0;  // the blocks ended so far, evaluated at the point
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pending_size_ = 0;
};

// (a * b) mod (2^61 - 1), for a and b below it: exported for its tests.
std::uint64_t multiply_modulo_prime(std::uint64_t a, std::uint64_t b);

}  // namespace ketrav::services
