// The digest of bytes as read: the same bytes give the same digest however
// they were cut into pieces; under keys drawn at random, no change chosen
// without the key gives the same digest more often than the hash's bound.
#include "services/content_digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

using ketrav::services::ContentDigest;
using ketrav::services::multiply_modulo_prime;

namespace {

ContentDigest::Key random_key(std::mt19937_64& random) {
    ContentDigest::Key key{};
    for (std::uint32_t& word : key.words) word = static_cast<std::uint32_t>(random());
    key.point = random() % ContentDigest::prime;
    return key;
}

std::uint64_t digest_in_pieces(const std::string& bytes, std::mt19937& cuts, const ContentDigest::Key& key) {
    ContentDigest digest(key);
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t piece = std::min<std::size_t>(cuts() % 2100, bytes.size() - at);
        digest.add(reinterpret_cast<const unsigned char*>(bytes.data() + at), piece);
        at += piece;
    }
    EXPECT_EQ(digest.length(), bytes.size());
    return digest.value();
}

// The hash as its definition gives it, with nothing of the program's
// arithmetic: NH of each zero-padded block of 1,024 bytes, its halves and
// then the length's as coefficients, Horner's rule with a product made by
// doubling and adding.
std::uint64_t slow_product(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    for (int bit = 60; bit >= 0; --bit) {
        product = (product * 2) % ContentDigest::prime;
        if (b >> bit & 1) product = (product + a) % ContentDigest::prime;
    }
    return product;
}

std::uint64_t by_definition(const std::string& bytes, const ContentDigest::Key& key) {
    std::uint64_t polynomial = 0;
    auto take = [&](std::uint64_t coefficient) {
        polynomial = (slow_product(polynomial, key.point) + coefficient) % ContentDigest::prime;
    };
    auto word = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int byte = 3; byte >= 0; --byte)
            value = value << 8 | (at + byte < bytes.size() ? static_cast<unsigned char>(bytes[at + byte]) : 0u);
        return value;
    };
    for (std::size_t block = 0; block < bytes.size(); block += 1024) {
        std::uint64_t sum = 0;
        for (std::size_t pair = 0; pair < 128 && block + pair * 8 < bytes.size(); ++pair) {
            std::uint32_t first = word(block + pair * 8) + key.words[2 * pair];
            std::uint32_t second = word(block + pair * 8 + 4) + key.words[2 * pair + 1];
            sum += static_cast<std::uint64_t>(first) * second;
        }
        take(sum >> 32);
        take(sum & 0xFFFFFFFFu);
    }
    take(static_cast<std::uint64_t>(bytes.size()) >> 32);
    take(bytes.size() & 0xFFFFFFFFu);
    return polynomial;
}

TEST(ContentDigest, TheDefinitionsValueHoweverTheBytesAreCut) {
    std::mt19937_64 random(3);
    std::mt19937 cuts(3);
    for (std::size_t size : {0, 1, 7, 8, 9, 1023, 1024, 1025, 4096, 5000}) {
        std::string bytes(size, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        ContentDigest::Key key = random_key(random);
        for (int round = 0; round < 5; ++round)
            EXPECT_EQ(digest_in_pieces(bytes, cuts, key), by_definition(bytes, key)) << size;
    }
    // The product at the field's edges, where a carry or a reduction is
    // most easily lost.
    const std::uint64_t top = ContentDigest::prime - 1;
    for (std::uint64_t a : {std::uint64_t{0}, std::uint64_t{1}, top, top - 1, std::uint64_t{1} << 32,
                            (std::uint64_t{1} << 32) - 1, std::uint64_t{1} << 60, random() % ContentDigest::prime})
        for (std::uint64_t b : {std::uint64_t{1}, top, (std::uint64_t{1} << 32) + 1, random() % ContentDigest::prime})
            EXPECT_EQ(multiply_modulo_prime(a, b), slow_product(a, b)) << a << " * " << b;
    // A length told apart even where the bytes added are NULs.
    ContentDigest::Key key = random_key(random);
    EXPECT_NE(digest_in_pieces(std::string(5, '\0'), cuts, key), digest_in_pieces(std::string(6, '\0'), cuts, key));
    EXPECT_NE(digest_in_pieces("", cuts, key), digest_in_pieces(std::string(1, '\0'), cuts, key));
}

// Changes aimed at the hash, each tried under many keys drawn at random:
// none may give the same digest more often than the bound allows. The
// bound for two contents of L bytes is 2^-32 + (2 * ceil(L / 1024) + 2) /
// (2^61 - 1); the count allowed is the least whose chance of being passed
// under the bound is below 10^-9, so that the test never fails by chance.
TEST(ContentDigest, NoChangeMadeWithoutTheKeyPassesMoreOftenThanTheBound) {
    std::mt19937_64 random(7);
    std::mt19937 cuts(7);
    struct Aim {
        const char* name;
        std::size_t words;  // the content's length, in 32-bit words
        int keys;
        std::function<void(std::string&)> change;
    };
    auto flip = [](std::string& bytes, std::size_t word, std::uint32_t bits) {
        for (int byte = 0; byte < 4; ++byte) bytes[word * 4 + byte] ^= static_cast<char>(bits >> (8 * byte));
    };
    const std::vector<Aim> aims = {
        // What fell to an aimed rewrite before: bits 31 and 15 flipped in
        // two words 2^16 words apart, and the top bit of one word.
        {"bits 31 and 15, words 2^16 apart", 65536 + 8, 300,
         [&](std::string& bytes) { flip(bytes, 3, 0x80008000u), flip(bytes, 3 + 65536, 0x80008000u); }},
        {"bits 31 and 15, two words", 512, 20000,
         [&](std::string& bytes) { flip(bytes, 0, 0x80008000u), flip(bytes, 256, 0x80008000u); }},
        {"one bit", 512, 20000, [&](std::string& bytes) { flip(bytes, 100, 0x80000000u); }},
        // At NH itself: both words of a pair moved by 2^31 (equal for one
        // key in 2^33), a pair's words swapped, and a pair moved to the
        // next block's place.
        {"a pair's top bits", 512, 20000, [&](std::string& bytes) { flip(bytes, 6, 0x80000000u), flip(bytes, 7, 0x80000000u); }},
        {"a pair swapped", 512, 20000, [&](std::string& bytes) { std::swap_ranges(&bytes[8], &bytes[12], &bytes[12]); }},
        {"blocks swapped", 512, 20000,
         [&](std::string& bytes) { std::swap_ranges(&bytes[0], &bytes[1024], &bytes[1024]); }},
        {"a random change", 512, 20000,
         [&](std::string& bytes) {
             for (int changes = 1 + random() % 4; changes > 0; --changes)
                 flip(bytes, random() % 512, static_cast<std::uint32_t>(random()) | 1u);
         }},
    };
    for (const Aim& aim : aims) {
        const double bytes = aim.words * 4.0;
        const double bound = std::ldexp(1.0, -32) + (2 * std::ceil(bytes / 1024) + 2) / std::ldexp(1.0, 61);
        // Poisson's tail for the mean keys * bound, which is far below 1.
        const double mean = aim.keys * bound;
        int allowed = 0;
        for (double at_least_one_more = mean; at_least_one_more >= 1e-9; at_least_one_more *= mean / (allowed + 1))
            ++allowed;
        int passed = 0;
        for (int trial = 0; trial < aim.keys; ++trial) {
            std::string content(aim.words * 4, '\0');
            for (std::size_t at = 0; at < content.size(); at += 8) {
                std::uint64_t eight = random();
                std::memcpy(&content[at], &eight, std::min<std::size_t>(8, content.size() - at));
            }
            std::string changed = content;
            aim.change(changed);
            if (changed == content) continue;
            ContentDigest::Key key = random_key(random);
            if (digest_in_pieces(changed, cuts, key) == digest_in_pieces(content, cuts, key)) ++passed;
        }
        EXPECT_LE(passed, allowed) << aim.name << ": " << passed << " of " << aim.keys << " keys";
    }
}

}  // namespace
