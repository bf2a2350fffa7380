// How an object's values are laid out in chunks: observation `index` lives
// in chunk floor(index / kChunkObservations) at slot index mod
// kChunkObservations. A chunk of a fixed-size kind is the little-endian
// array of its kChunkObservations values (slots never written hold ND); a
// string chunk is, per slot, a 4-byte little-endian length and the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace crqx {
namespace series {

constexpr int64_t kChunkObservations = 1024;

inline int64_t chunk_of(int64_t index) {
    return index >= 0 ? index / kChunkObservations
                      : -((-index + kChunkObservations - 1) / kChunkObservations);
}
inline int64_t chunk_start(int64_t chunk) { return chunk * kChunkObservations; }

// One chunk of fixed-size values, decoded.
template <typename T>
using Slots = std::vector<T>;  // always kChunkObservations long

// A chunk full of `fill` (the ND code of the kind).
template <typename T>
Slots<T> empty_slots(T fill) {
    return Slots<T>(static_cast<size_t>(kChunkObservations), fill);
}

template <typename T>
std::string encode_slots(const Slots<T>& slots);
// False when `blob` is not a chunk of T (a damaged file).
template <typename T>
bool decode_slots(const std::string& blob, Slots<T>* slots);

using TextSlots = std::vector<std::string>;  // always kChunkObservations long
std::string encode_text_slots(const TextSlots& slots);
bool decode_text_slots(const std::string& blob, TextSlots* slots);

}  // namespace series
}  // namespace crqx
