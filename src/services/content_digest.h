// A digest of a run of bytes as they were read, fed in pieces of any size:
// the same bytes give the same digest however they were cut up. Made to
// tell whether a file still holds what was read from it (a log cut and
// written again under the reader), not to stand against a forger: whoever
// may write the log may write anything in it anyway.
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
    void mix(std::uint32_t first, std::uint32_t second);

    // Two lanes of 32-bit steps, which cost the same on every target.
    std::uint32_t lane_a_ = 0x243F6A88u;
    std::uint32_t lane_b_ = 0x85A308D3u;
    std::uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    std::size_t pending_size_ = 0;
};

}  // namespace ketrav::services
