#include "series/chunk_codec.h"

#include <algorithm>
#include <cstring>

namespace crqx {
namespace series {
namespace {

// The file format is little-endian; so is every host this engine builds on.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "chunks are stored little-endian");

void put_u32(std::string* out, uint32_t v) {
    char bytes[4];
    std::memcpy(bytes, &v, 4);
    out->append(bytes, 4);
}

}  // namespace

Held Held::joined(Held other) const {
    if (count == 0) return other;
    if (other.count == 0) return *this;
    int64_t lo = std::min(first, other.first), hi = std::max(end(), other.end());
    return {lo, hi - lo};
}

std::string chunk_header(Held held) {
    uint16_t fields[2] = {static_cast<uint16_t>(held.first), static_cast<uint16_t>(held.count)};
    return std::string(reinterpret_cast<const char*>(fields), kChunkHeaderBytes);
}

bool read_header(const std::string& blob, Held* held) {
    if (blob.size() < kChunkHeaderBytes) return false;
    uint16_t fields[2];
    std::memcpy(fields, blob.data(), kChunkHeaderBytes);
    *held = {fields[0], fields[1]};
    return held->count > 0 && held->end() <= kChunkObservations;
}

template <typename T>
std::string encode_slots(const Slots<T>& slots, Held held) {
    std::string out = chunk_header(held);
    out.append(reinterpret_cast<const char*>(slots.data() + held.first),
               static_cast<size_t>(held.count) * sizeof(T));
    return out;
}

template <typename T>
bool decode_slots(const std::string& blob, Slots<T>* slots, Held* held) {
    if (!read_header(blob, held)) return false;
    if (blob.size() != kChunkHeaderBytes + static_cast<size_t>(held->count) * sizeof(T))
        return false;
    slots->resize(static_cast<size_t>(kChunkObservations));
    std::memcpy(slots->data() + held->first, blob.data() + kChunkHeaderBytes,
                blob.size() - kChunkHeaderBytes);
    return true;
}

template std::string encode_slots<float>(const Slots<float>&, Held);
template std::string encode_slots<double>(const Slots<double>&, Held);
template std::string encode_slots<int32_t>(const Slots<int32_t>&, Held);
template bool decode_slots<float>(const std::string&, Slots<float>*, Held*);
template bool decode_slots<double>(const std::string&, Slots<double>*, Held*);
template bool decode_slots<int32_t>(const std::string&, Slots<int32_t>*, Held*);

std::string encode_text_slots(const TextSlots& slots, Held held) {
    std::string out = chunk_header(held);
    auto first = slots.begin() + held.first, last = first + held.count;
    size_t total = out.size();
    for (auto s = first; s != last; ++s) total += 4 + s->size();
    out.reserve(total);
    for (auto s = first; s != last; ++s) {
        put_u32(&out, static_cast<uint32_t>(s->size()));
        out += *s;
    }
    return out;
}

bool decode_text_slots(const std::string& blob, TextSlots* slots, Held* held) {
    if (!read_header(blob, held)) return false;
    slots->resize(static_cast<size_t>(kChunkObservations));
    size_t at = kChunkHeaderBytes;
    for (int64_t i = held->first; i < held->end(); ++i) {
        if (blob.size() - at < 4) return false;
        uint32_t n;
        std::memcpy(&n, blob.data() + at, 4);
        at += 4;
        if (blob.size() - at < n) return false;
        (*slots)[static_cast<size_t>(i)].assign(blob, at, n);
        at += n;
    }
    return at == blob.size();
}

}  // namespace series
}  // namespace crqx
