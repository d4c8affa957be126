// A digest of a run of bytes as they were read, fed in pieces of any size:
// the same bytes give the same digest however they were cut up. Made to
// tell whether a file still holds what was read from it, whatever was done
// to it meanwhile: each word is mixed with its place before it is summed,
// so no arrangement of changes (one byte up here, one down there, words
// swapped) cancels out in the sums, as it would in plain sums of the bytes.
// It costs about two instructions a byte on every target, as a second look
// at a whole log must.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ketrav::services {

class ContentDigest {
   public:
    void add(const unsigned char* bytes, std::size_t size);
    // The digest of every byte added so far.
    std::uint64_t value() const;
    std::uint64_t length() const { return length_; }

   private:
    void add_words(const unsigned char* bytes, std::size_t pairs);

    // Fletcher's sums of the mixed 32-bit words: the sum of sums weighs each
    // one by its place once more. 32-bit steps cost the same on every target.
    std::uint32_t sum_ = 0, weighted_ = 0;
    std::uint32_t place_ = 0;  // the next word's place, counted from the start
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pending_size_ = 0;
};

}  // namespace ketrav::services
