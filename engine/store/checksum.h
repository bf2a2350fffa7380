// The checksum a file of format 2 keeps beside every value chunk: a 64-bit
// hash of the chunk's number and bytes, four independent multiply-rotate
// lanes over 32-byte stripes (fast enough to cost little beside the copy
// of the chunk itself) and a final avalanche. It detects damage, not
// tampering: any flipped bit changes it with near certainty.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace crqx {
namespace store {

namespace checksum_detail {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

inline uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
inline uint64_t load64(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline uint64_t mix(uint64_t acc, uint64_t input) {
    return rotl(acc + input * kPrime2, 31) * kPrime1;
}
inline uint64_t merge(uint64_t acc, uint64_t lane) {
    return (acc ^ mix(0, lane)) * kPrime1 + kPrime4;
}

}  // namespace checksum_detail

// The checksum of chunk `number` holding `size` bytes at `data`.
inline uint64_t chunk_checksum(int64_t number, const void* data, size_t size) {
    using namespace checksum_detail;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    uint64_t seed = static_cast<uint64_t>(number);
    uint64_t h;
    if (size >= 32) {
        uint64_t v1 = seed + kPrime1 + kPrime2, v2 = seed + kPrime2, v3 = seed, v4 = seed - kPrime1;
        do {
            v1 = mix(v1, load64(p));
            v2 = mix(v2, load64(p + 8));
            v3 = mix(v3, load64(p + 16));
            v4 = mix(v4, load64(p + 24));
            p += 32;
        } while (end - p >= 32);
        h = rotl(v1, 1) + rotl(v2, 7) + rotl(v3, 12) + rotl(v4, 18);
        h = merge(merge(merge(merge(h, v1), v2), v3), v4);
    } else {
        h = seed + kPrime5;
    }
    h += static_cast<uint64_t>(size);
    for (; end - p >= 8; p += 8) h = rotl(h ^ mix(0, load64(p)), 27) * kPrime1 + kPrime4;
    for (; p < end; ++p) h = rotl(h ^ (*p * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

inline uint64_t chunk_checksum(int64_t number, const std::string& bytes) {
    return chunk_checksum(number, bytes.data(), bytes.size());
}

}  // namespace store
}  // namespace crqx
