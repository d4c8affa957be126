// A digest of a run of bytes as they were read, fed in pieces of any size:
// the same bytes give the same digest however they were cut up. Made to
// tell whether a file still holds what was read from it (a log cut and
// written again under the reader), not to stand against a forger: whoever
// may write the log may write anything in it anyway. It costs under one
// instruction a byte on every target, as a second look at a whole log must.
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

    // Fletcher's sums of the 32-bit words: the sum of sums weighs each word
    // by its place, so a word changed, moved or dropped changes the digest.
    // 32-bit steps cost the same on every target.
    std::uint32_t sum_ = 0, weighted_ = 0;
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pending_size_ = 0;
};

}  // namespace ketrav::services
