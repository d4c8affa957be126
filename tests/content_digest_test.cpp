// The digest of bytes as read: the same bytes give the same digest however
// they were cut into pieces, and any change, a byte or the length, gives
// another.
#include "services/content_digest.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using ketrav::services::ContentDigest;

namespace {

std::uint64_t digest_in_pieces(const std::string& bytes, std::mt19937& random, std::uint64_t key = 0) {
    ContentDigest digest(key);
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t piece = std::min<std::size_t>(random() % 20, bytes.size() - at);
        digest.add(reinterpret_cast<const unsigned char*>(bytes.data() + at), piece);
        at += piece;
    }
    EXPECT_EQ(digest.length(), bytes.size());
    return digest.value();
}

TEST(ContentDigest, SameBytesAnyPiecesOtherBytesOtherDigest) {
    std::mt19937 random(3);
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(random());
    std::uint64_t whole = digest_in_pieces(bytes, random);
    for (int round = 0; round < 20; ++round) EXPECT_EQ(digest_in_pieces(bytes, random), whole) << round;
    for (std::size_t at : {std::size_t{0}, std::size_t{7}, std::size_t{8}, std::size_t{500}, std::size_t{999}}) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 1);
        EXPECT_NE(digest_in_pieces(changed, random), whole) << at;
    }
    // A length told apart even where the bytes added are NULs.
    EXPECT_NE(digest_in_pieces(std::string(5, '\0'), random), digest_in_pieces(std::string(6, '\0'), random));
    EXPECT_NE(digest_in_pieces("", random), digest_in_pieces(std::string(1, '\0'), random));
    // Changes made to cancel in plain sums of words: one byte up and the
    // same byte of the word 1,024 bytes on down; +1, -2, +1 on three words
    // in a row.
    std::string plain(2048, '\x20'), far = plain, in_a_row = plain;
    far[3] = '\x21', far[3 + 1024] = '\x1F';
    in_a_row[0] = '\x21', in_a_row[4] = '\x1E', in_a_row[8] = '\x21';
    for (const std::string* balanced : {&far, &in_a_row})
        EXPECT_NE(digest_in_pieces(*balanced, random), digest_in_pieces(plain, random));
    // Two words swapped.
    EXPECT_NE(digest_in_pieces("AAAABBBBCCCCDDDD", random), digest_in_pieces("CCCCDDDDAAAABBBB", random));
}

// Changes aimed at the sums: a top bit flipped in words 2^16 words apart
// (whose weights differ by 2^16), and in four words in a row. With fixed
// mixing each flip adds one of two known amounts, and such flips cancel for
// about every other content; under a run's key none may.
TEST(ContentDigest, ChangesAimedAtTheSumsDoNotCancelUnderAKey) {
    std::mt19937_64 random(7);
    std::mt19937 pieces(7);
    for (int trial = 0; trial < 24; ++trial) {
        std::string bytes((65536 + 4) * 4, '\0');
        for (char& byte : bytes) byte = static_cast<char>(0x20 + random() % 0x5F);
        std::uint64_t key = random();
        std::uint64_t whole = digest_in_pieces(bytes, pieces, key);
        EXPECT_NE(digest_in_pieces(bytes, pieces, key ^ 1), whole) << trial;
        std::string far = bytes, in_a_row = bytes;
        for (std::size_t word : {std::size_t{0}, std::size_t{65536}}) far[word * 4 + 3] ^= '\x80';
        for (std::size_t word = 0; word < 4; ++word) in_a_row[word * 4 + 3] ^= '\x80';
        EXPECT_NE(digest_in_pieces(far, pieces, key), whole) << trial;
        EXPECT_NE(digest_in_pieces(in_a_row, pieces, key), whole) << trial;
    }
}

}  // namespace
