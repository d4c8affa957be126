// A digest of a run of bytes as they were read, fed in pieces of any size:
// the same bytes give the same digest however they were cut up. Made to
// tell whether a file still holds what was read from it, whatever was done
// to it meanwhile. Each word is mixed with a key and its place before it is
// summed: the key is a secret of the run's (random from the system, never
// stored, gone with the run's memory), so that no one can choose changes
// whose effects cancel in the sums, as anyone who reads this could if the
// mixing were fixed; and the place makes a word moved elsewhere another
// word. What the digest promises is exactly that: a change not made by
// someone who knows the key gives another digest, but by a chance of about
// one in 2^32. It costs about three instructions a byte on every target.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ketrav::services {

class ContentDigest {
   public:
    // A digest under `key`: only digests under one key compare.
    explicit ContentDigest(std::uint64_t key = 0);
    std::uint64_t key() const { return key_; }
    void add(const unsigned char* bytes, std::size_t size);
    // The digest of every byte added so far.
    std::uint64_t value() const;
    std::uint64_t length() const { return length_; }

   private:
    void add_words(const unsigned char* bytes, std::size_t pairs);

    // Fletcher's sums of the mixed 32-bit words: the sum of sums weighs each
    // one by its place once more. 32-bit steps cost the same on every target.
    std::uint32_t sum_ = 0, weighted_ = 0;
    std::uint64_t key_ = 0;
    std::uint32_t place_ = 0;  // the next word's place, counted from the key's start
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pending_size_ = 0;
};

}  // namespace ketrav::services
