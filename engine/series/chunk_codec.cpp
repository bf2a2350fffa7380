#include "series/chunk_codec.h"

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

template <typename T>
std::string encode_slots(const Slots<T>& slots) {
    return std::string(reinterpret_cast<const char*>(slots.data()), slots.size() * sizeof(T));
}

template <typename T>
bool decode_slots(const std::string& blob, Slots<T>* slots) {
    if (blob.size() != static_cast<size_t>(kChunkObservations) * sizeof(T)) return false;
    slots->resize(static_cast<size_t>(kChunkObservations));
    std::memcpy(slots->data(), blob.data(), blob.size());
    return true;
}

template std::string encode_slots<float>(const Slots<float>&);
template std::string encode_slots<double>(const Slots<double>&);
template std::string encode_slots<int32_t>(const Slots<int32_t>&);
template bool decode_slots<float>(const std::string&, Slots<float>*);
template bool decode_slots<double>(const std::string&, Slots<double>*);
template bool decode_slots<int32_t>(const std::string&, Slots<int32_t>*);

std::string encode_text_slots(const TextSlots& slots) {
    std::string out;
    size_t total = 0;
    for (const std::string& s : slots) total += 4 + s.size();
    out.reserve(total);
    for (const std::string& s : slots) {
        put_u32(&out, static_cast<uint32_t>(s.size()));
        out += s;
    }
    return out;
}

bool decode_text_slots(const std::string& blob, TextSlots* slots) {
    slots->assign(static_cast<size_t>(kChunkObservations), std::string());
    size_t at = 0;
    for (std::string& s : *slots) {
        if (blob.size() - at < 4) return false;
        uint32_t n;
        std::memcpy(&n, blob.data() + at, 4);
        at += 4;
        if (blob.size() - at < n) return false;
        s.assign(blob, at, n);
        at += n;
    }
    return at == blob.size();
}

}  // namespace series
}  // namespace crqx
