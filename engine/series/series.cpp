#include "series/series.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "calendar/date_index.h"
#include "calendar/errors.h"
#include "objects/objects.h"
#include "series/chunk_codec.h"

namespace crqx {
namespace series {
namespace {

using store::Chunk;
using store::Database;

// Chunk access per C type: fixed-size values copy straight between blobs
// and arrays; strings go through decoded slots.
template <typename T>
struct Codec {
    using SlotArray = Slots<T>;
    static SlotArray empty() { return empty_slots<T>(Missing<T>::codes[kSlotND]); }
    // A chunk checked for reading: the bytes themselves, read in place.
    using Checked = const std::string*;
    static bool check(const std::string& blob, Checked* checked) {
        *checked = &blob;
        Held held;
        return read_header(blob, &held) &&
               blob.size() == kChunkHeaderBytes + static_cast<size_t>(held.count) * sizeof(T);
    }
    // Slots from..from+n-1 of a checked chunk into out[0..n-1]: ND where the
    // chunk holds none.
    static void extract(const Checked& checked, int64_t from, int64_t n, T* out, T nd) {
        const std::string& blob = *checked;
        Held held;
        read_header(blob, &held);
        int64_t lo = std::min(std::max(from, held.first), from + n);
        int64_t hi = std::max(lo, std::min(from + n, held.end()));
        std::fill(out, out + (lo - from), nd);
        if (hi > lo)
            std::memcpy(out + (lo - from),
                        blob.data() + kChunkHeaderBytes + (lo - held.first) * sizeof(T),
                        static_cast<size_t>(hi - lo) * sizeof(T));
        std::fill(out + (hi - from), out + n, nd);
    }
    static std::string encode_whole(const T* values) {
        std::string out = chunk_header({0, kChunkObservations});
        out.append(reinterpret_cast<const char*>(values), kChunkObservations * sizeof(T));
        return out;
    }
    static bool decode(const std::string& blob, SlotArray* slots, Held* held) {
        return decode_slots(blob, slots, held);
    }
    static std::string encode(const SlotArray& slots, Held held) {
        return encode_slots(slots, held);
    }
};

template <>
struct Codec<std::string> {
    using SlotArray = TextSlots;
    static SlotArray empty() {
        return TextSlots(static_cast<size_t>(kChunkObservations), missing::kStringND);
    }
    // A chunk checked for reading: its slots, decoded once.
    using Checked = TextSlots;
    static bool check(const std::string& blob, Checked* checked) {
        *checked = empty();
        Held held;
        return decode_text_slots(blob, checked, &held);
    }
    static void extract(Checked& checked, int64_t from, int64_t n, std::string* out,
                        const std::string&) {
        std::move(checked.begin() + from, checked.begin() + from + n, out);
    }
    static std::string encode_whole(const std::string* values) {
        return encode_text_slots(TextSlots(values, values + kChunkObservations),
                                 {0, kChunkObservations});
    }
    static bool decode(const std::string& blob, SlotArray* slots, Held* held) {
        return decode_text_slots(blob, slots, held);
    }
    static std::string encode(const SlotArray& slots, Held held) {
        return encode_text_slots(slots, held);
    }
};

template <typename T>
T nd_value();
template <>
std::string nd_value<std::string>() {
    return missing::kStringND;
}
template <typename T>
T nd_value() {
    return Missing<T>::codes[kSlotND];
}

Status damaged(const std::string& name, int64_t chunk) {
    return Status::Error(HIFAIL, "stored values of '" + name + "' are damaged (chunk " +
                                     std::to_string(chunk) + ")");
}

// The part of chunk `chunk` that `span` covers, as slot offsets.
struct Overlap {
    int64_t from_slot;  // first slot covered
    int64_t count;      // slots covered
    int64_t offset;     // position of from_slot within the span
};

Overlap overlap(int64_t chunk, Span span) {
    int64_t start = chunk_start(chunk);
    int64_t first = std::max(span.first, start);
    int64_t last = std::min(span.last, start + kChunkObservations - 1);
    return {first - start, last - first + 1, first - span.first};
}

Status check_range_bounds(const calendar::Frequency& f, const int* range, Span* span) {
    int64_t first = range[1], last = range[2];
    const calendar::IndexSpan valid = calendar::valid_span(f);  // computed once for both ends
    // The bounds are worded only for a refusal: reads pass here every call.
    auto refuse = [&](int code, const std::string& what) {
        return Status::Error(code, what + " (" + calendar::frequency_label(f.code) + " range " +
                                       std::to_string(first) + ".." + std::to_string(last) + ")");
    };
    if (first < valid.first || first > valid.last)
        return refuse(HBSRNG, "the range starts at no date of its frequency");
    if (last < valid.first || last > valid.last)
        return refuse(HBERNG, "the range ends at no date of its frequency");
    if (last < first) return refuse(HBRNG, "the range ends before it starts");
    if (last - first + 1 > INT32_MAX)
        return refuse(HBNRNG, "the range holds too many observations");
    *span = {first, last};
    return Status::OK();
}

}  // namespace

Status find_valued(Database& db, const std::string& name, ValuedObject* object) {
    CRQX_RETURN_IF_ERROR(objects::find_object(db, name, &object->record));
    const store::ObjectRecord& r = object->record;
    if (r.object_class != HSERIE && r.object_class != HSCALA)
        return Status::Error(HBCLAS, "object '" + r.name + "' is neither a series nor a scalar");
    std::optional<Kind> kind = kind_of_type(r.type);
    if (!kind)
        return Status::Error(HBTYPE, "object '" + r.name + "' holds no values of a value kind");
    object->kind = *kind;
    return Status::OK();
}

Status resolve_span(const ValuedObject& object, const int* range, Span* span) {
    const store::ObjectRecord& r = object.record;
    if (range == nullptr) {
        if (object.is_scalar()) {
            *span = {0, 0};
            return Status::OK();
        }
        return Status::Error(HNULLP, "series '" + r.name + "' needs a range");
    }
    auto f = calendar::describe_frequency(range[0]);
    if (!f)
        return Status::Error(HBFREQ,
                             "the range's frequency " + std::to_string(range[0]) + " is not valid");
    Span given;
    CRQX_RETURN_IF_ERROR(check_range_bounds(*f, range, &given));
    if (object.is_scalar()) {
        if (given.count() != 1)
            return Status::Error(HBNRNG,
                                 "scalar '" + r.name + "' takes a range of one observation");
        *span = {0, 0};
        return Status::OK();
    }
    if (range[0] != r.frequency)
        return Status::Error(HBFREQ, "the range's frequency " + std::to_string(range[0]) +
                                         " is not the frequency of series '" + r.name + "'");
    *span = given;
    return Status::OK();
}

template <typename T>
Status read_span(Database& db, const ValuedObject& object, Span span, T* out) {
    const std::string& name = object.record.name;
    std::vector<Chunk> chunks;
    CRQX_RETURN_IF_ERROR(
        db.store->read_chunk_span(name, chunk_of(span.first), chunk_of(span.last), &chunks));
    // Every chunk is checked before anything is written to out.
    std::vector<typename Codec<T>::Checked> checked(chunks.size());
    for (size_t i = 0; i < chunks.size(); ++i)
        if (!Codec<T>::check(chunks[i].data, &checked[i])) return damaged(name, chunks[i].number);
    // Each element is written once: chunks in order, ND in the gaps.
    const T nd = nd_value<T>();
    int64_t written = 0;
    for (size_t i = 0; i < chunks.size(); ++i) {
        Overlap o = overlap(chunks[i].number, span);
        std::fill(out + written, out + o.offset, nd);
        Codec<T>::extract(checked[i], o.from_slot, o.count, out + o.offset, nd);
        written = o.offset + o.count;
    }
    std::fill(out + written, out + span.count(), nd);
    return Status::OK();
}

template <typename T>
Status write_span(Database& db, const ValuedObject& object, Span span, const T* in) {
    const std::string& name = object.record.name;
    // Every check (class, damaged edge chunks) comes before the first write:
    // the change needs no savepoint.
    return objects::as_plain_change(db, [&]() -> Status {
        store::ObjectRecord r;
        CRQX_RETURN_IF_ERROR(db.store->find_object(name, &r));
        if (r.object_class != HSERIE && r.object_class != HSCALA)
            return Status::Error(
                HBCLAS, "object '" + r.name + "' holds no stored values (a formula is computed)");
        int64_t first_chunk = chunk_of(span.first), last_chunk = chunk_of(span.last);
        // Only the chunks at either end can be partly covered, and only
        // where the series already holds values: read just those.
        auto may_hold = [&](int64_t c) {
            if (r.object_class == HSCALA) return true;
            return r.first_index && chunk_of(*r.first_index) <= c && c <= chunk_of(*r.last_index);
        };
        std::vector<Chunk> edges;
        if (may_hold(first_chunk))
            CRQX_RETURN_IF_ERROR(db.store->read_chunk_span(name, first_chunk, first_chunk, &edges));
        if (last_chunk != first_chunk && may_hold(last_chunk))
            CRQX_RETURN_IF_ERROR(db.store->read_chunk_span(name, last_chunk, last_chunk, &edges));
        std::vector<Chunk> out;
        out.reserve(static_cast<size_t>(last_chunk - first_chunk + 1));
        for (int64_t c = first_chunk; c <= last_chunk; ++c) {
            Overlap o = overlap(c, span);
            if (o.count == kChunkObservations) {
                out.push_back({c, Codec<T>::encode_whole(in + o.offset)});
                continue;
            }
            // A partly covered chunk keeps what it held: the new run joins it.
            typename Codec<T>::SlotArray slots = Codec<T>::empty();
            Held held{o.from_slot, o.count}, stored;
            for (const Chunk& e : edges) {
                if (e.number != c) continue;
                if (!Codec<T>::decode(e.data, &slots, &stored)) return damaged(name, c);
                held = held.joined(stored);
            }
            std::copy(in + o.offset, in + o.offset + o.count, slots.begin() + o.from_slot);
            out.push_back({c, Codec<T>::encode(slots, held)});
        }
        CRQX_RETURN_IF_ERROR(db.store->write_chunks(name, out));
        if (r.object_class == HSERIE) {
            int32_t first = static_cast<int32_t>(span.first),
                    last = static_cast<int32_t>(span.last);
            r.first_index = r.first_index ? std::min(*r.first_index, first) : first;
            r.last_index = r.last_index ? std::max(*r.last_index, last) : last;
        }
        r.modified_ms = store::now_ms();
        return db.store->update_object(name, r);
    });
}

template Status read_span<float>(Database&, const ValuedObject&, Span, float*);
template Status read_span<double>(Database&, const ValuedObject&, Span, double*);
template Status read_span<int32_t>(Database&, const ValuedObject&, Span, int32_t*);
template Status read_span<std::string>(Database&, const ValuedObject&, Span, std::string*);
template Status write_span<float>(Database&, const ValuedObject&, Span, const float*);
template Status write_span<double>(Database&, const ValuedObject&, Span, const double*);
template Status write_span<int32_t>(Database&, const ValuedObject&, Span, const int32_t*);
template Status write_span<std::string>(Database&, const ValuedObject&, Span, const std::string*);

}  // namespace series
}  // namespace crqx
