// How an object's values are laid out in chunks: observation `index` lives
// in chunk floor(index / kChunkObservations) at slot index mod
// kChunkObservations.
//
// A chunk's bytes hold only the run of slots between the first and the last
// slot ever written (the "held" run; slots outside it are ND), so a short
// series costs about its values, not a whole chunk:
//   a 4-byte header: the first held slot and the number of held slots, each
//   a little-endian uint16;
//   then the held slots: for a fixed-size kind the little-endian array of
//   their values; for strings, per slot, a 4-byte little-endian length and
//   the bytes.
// Files of format 1 kept every chunk whole and without the header; the file
// store reads them as chunks holding all slots (store.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace crqx {
namespace series {

constexpr int64_t kChunkObservations = 1024;
constexpr size_t kChunkHeaderBytes = 4;

inline int64_t chunk_of(int64_t index) {
    return index >= 0 ? index / kChunkObservations
                      : -((-index + kChunkObservations - 1) / kChunkObservations);
}
inline int64_t chunk_start(int64_t chunk) { return chunk * kChunkObservations; }

// The run of slots a chunk holds: [first, first + count).
struct Held {
    int64_t first = 0;
    int64_t count = 0;
    int64_t end() const { return first + count; }
    // The smallest run covering both.
    Held joined(Held other) const;
};

std::string chunk_header(Held held);
// The held run of a chunk's bytes; false when they hold no valid header.
bool read_header(const std::string& blob, Held* held);

// One chunk of fixed-size values, decoded: always kChunkObservations long.
template <typename T>
using Slots = std::vector<T>;

// A chunk full of `fill` (the ND code of the kind).
template <typename T>
Slots<T> empty_slots(T fill) {
    return Slots<T>(static_cast<size_t>(kChunkObservations), fill);
}

// The bytes of the chunk holding slots[held].
template <typename T>
std::string encode_slots(const Slots<T>& slots, Held held);
// Copies the held slots of `blob` into `slots` (slots outside the run stay
// as they are) and tells the run; false when `blob` is not a chunk of T
// (a damaged file).
template <typename T>
bool decode_slots(const std::string& blob, Slots<T>* slots, Held* held);

using TextSlots = std::vector<std::string>;  // always kChunkObservations long
std::string encode_text_slots(const TextSlots& slots, Held held);
bool decode_text_slots(const std::string& blob, TextSlots* slots, Held* held);

}  // namespace series
}  // namespace crqx
