// The series room: chunk geometry and codec, and reads and writes of spans
// on a private in-memory database.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "objects/objects.h"
#include "series/chunk_codec.h"
#include "series/series.h"

using namespace crqx;
using namespace crqx::series;

namespace {

TEST(ChunkGeometry, FloorsNegativeIndexes) {
    const struct {
        int64_t index, chunk;
    } cases[] = {{0, 0},
                 {1023, 0},
                 {1024, 1},
                 {-1, -1},
                 {-1024, -1},
                 {-1025, -2},
                 {INT32_MIN, INT32_MIN / 1024}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.chunk, chunk_of(c.index)) << c.index;
        EXPECT_LE(chunk_start(c.chunk), c.index);
        EXPECT_GT(chunk_start(c.chunk) + kChunkObservations, c.index);
    }
}

// A chunk keeps only its held run of slots: the bytes cost the run, and
// decoding restores exactly those slots.
template <typename T>
void expect_fixed_round_trip(T first) {
    const T nd = Missing<T>::codes[kSlotND];
    Slots<T> slots = empty_slots<T>(nd);
    slots[700] = first;
    slots[1023] = Missing<T>::codes[kSlotNA];
    std::string blob = encode_slots(slots, {700, 324});
    EXPECT_EQ(kChunkHeaderBytes + 324 * sizeof(T), blob.size());
    Slots<T> back = empty_slots<T>(nd);
    Held held;
    ASSERT_TRUE(decode_slots(blob, &back, &held));
    EXPECT_EQ(slots, back);
    EXPECT_EQ(700, held.first);
    EXPECT_EQ(324, held.count);
    // Damaged chunks are refused: cut short, or a run beyond the chunk.
    EXPECT_FALSE(decode_slots(blob.substr(1), &back, &held));
    EXPECT_FALSE(
        decode_slots(chunk_header({1000, 100}) + std::string(100 * sizeof(T), 'x'), &back, &held));
    EXPECT_FALSE(decode_slots(chunk_header({0, 0}), &back, &held));
}

TEST(ChunkCodec, FixedKindsRoundTrip) {
    expect_fixed_round_trip<float>(0.1f);
    expect_fixed_round_trip<double>(-0.0);
    expect_fixed_round_trip<int32_t>(INT32_MAX);
}

TEST(ChunkCodec, TextRoundTripsAndRefusesDamage) {
    TextSlots slots(static_cast<size_t>(kChunkObservations), "");
    slots[0] = std::string("with\0nul", 8);
    slots[5] = "caf\xc3\xa9";
    slots[1023] = missing::kStringNA;
    std::string blob = encode_text_slots(slots, {0, kChunkObservations});
    TextSlots back;
    Held held;
    ASSERT_TRUE(decode_text_slots(blob, &back, &held));
    EXPECT_EQ(slots, back);
    EXPECT_FALSE(decode_text_slots(blob.substr(0, blob.size() - 1), &back, &held));
    EXPECT_FALSE(decode_text_slots(blob + "x", &back, &held));
    // a length beyond the blob
    EXPECT_FALSE(decode_text_slots(chunk_header({0, 1}) + "\xff\xff\xff\x7f", &back, &held));
}

TEST(ChunkCodec, HeldRunsJoin) {
    Held a{10, 5}, b{100, 1}, none{};
    EXPECT_EQ(10, a.joined(b).first);
    EXPECT_EQ(91, a.joined(b).count);
    EXPECT_EQ(10, none.joined(a).first);
    EXPECT_EQ(5, a.joined(none).count);
}

// A work database holding one precision series "S" (monthly) and a scalar.
class SeriesRoom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store::open_store("", store::Mode::Work, {}, &db_.store).ok());
        ASSERT_TRUE(objects::create_object(db_, "S", {HSERIE, HMONTH, HPRECN, 0, 0}).ok());
        ASSERT_TRUE(objects::create_object(db_, "C", {HSCALA, HUNDFX, HPRECN, 0, 0}).ok());
    }
    ValuedObject find(const char* name) {
        ValuedObject o;
        EXPECT_TRUE(find_valued(db_, name, &o).ok());
        return o;
    }
    std::vector<double> read(Span span) {
        std::vector<double> out(static_cast<size_t>(span.count()));
        EXPECT_TRUE(read_span(db_, find("S"), span, out.data()).ok());
        return out;
    }
    void write(Span span, const std::vector<double>& values) {
        ASSERT_TRUE(write_span(db_, find("S"), span, values.data()).ok());
    }
    size_t stored_chunks() {
        std::vector<store::Chunk> chunks;
        EXPECT_TRUE(db_.store->read_chunks("S", &chunks).ok());
        return chunks.size();
    }
    store::Database db_;
};

const double ND = Missing<double>::codes[kSlotND];

TEST_F(SeriesRoom, WritesAcrossChunksAndReadsBeyondTheSpan) {
    std::vector<double> values;
    for (int i = 0; i < 3000; ++i) values.push_back(i * 0.5);
    write({-1500, 1499}, values);
    EXPECT_EQ(4u, stored_chunks());  // chunks -2, -1, 0, 1: -2 and 1 partly
    std::vector<double> got = read({-1502, 1501});
    EXPECT_EQ(ND, got[0]);
    EXPECT_EQ(ND, got[1]);
    EXPECT_EQ(std::vector<double>(got.begin() + 2, got.end() - 2), values);
    EXPECT_EQ(ND, got.back());
    ValuedObject s = find("S");
    EXPECT_EQ(-1500, *s.record.first_index);
    EXPECT_EQ(1499, *s.record.last_index);
}

TEST_F(SeriesRoom, PartialWriteKeepsItsNeighbours) {
    write({0, 2047}, std::vector<double>(2048, 1.0));
    write({1020, 1030}, std::vector<double>(11, 2.0));
    std::vector<double> got = read({1018, 1032});
    std::vector<double> want = {1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1};
    EXPECT_EQ(want, got);
    write({5000, 5000}, {3.0});  // a gap stays ND, the span grows
    EXPECT_EQ(ND, read({4999, 4999})[0]);
    EXPECT_EQ(5000, *find("S").record.last_index);
    EXPECT_EQ(0, *find("S").record.first_index);
}

TEST_F(SeriesRoom, WritesAreUndoneByRestore) {
    write({0, 9}, std::vector<double>(10, 7.0));
    ASSERT_TRUE(db_.store->post().ok());
    write({0, 9}, std::vector<double>(10, 8.0));
    ASSERT_TRUE(db_.store->restore().ok());
    EXPECT_EQ(std::vector<double>(10, 7.0), read({0, 9}));
}

TEST_F(SeriesRoom, RangesResolveAgainstTheObject) {
    const struct {
        const char* name;
        std::vector<int> range;  // empty: a null range
        int status;
    } cases[] = {
        {"S", {HMONTH, 3, 5}, HSUCC},          {"S", {}, HNULLP},
        {"S", {HQTDEC, 3, 5}, HBFREQ},         {"S", {12345, 3, 5}, HBFREQ},
        {"S", {HMONTH, 5, 3}, HBRNG},          {"S", {HMONTH, INT32_MIN, 3}, HBSRNG},
        {"S", {HMONTH, 3, INT32_MAX}, HBERNG}, {"C", {}, HSUCC},
        {"C", {HDAILY, 9, 9}, HSUCC},          {"C", {HDAILY, 9, 10}, HBNRNG},
    };
    for (const auto& c : cases) {
        Span span;
        const int* range = c.range.empty() ? nullptr : c.range.data();
        EXPECT_EQ(c.status, resolve_span(find(c.name), range, &span).code())
            << c.name << " " << c.range.size();
    }
}

TEST_F(SeriesRoom, ScalarsKeepOneValueWithoutADate) {
    ValuedObject c = find("C");
    const double value = 42.25;
    ASSERT_TRUE(write_span(db_, c, {0, 0}, &value).ok());
    double back = 0;
    ASSERT_TRUE(read_span(db_, find("C"), {0, 0}, &back).ok());
    EXPECT_EQ(value, back);
    EXPECT_FALSE(find("C").record.first_index.has_value());
}

TEST_F(SeriesRoom, DamagedChunkFailsWithoutTouchingTheOutput) {
    write({0, 2}, {1.0, 2.0, 3.0});
    ASSERT_TRUE(db_.store->write_chunks("S", {{0, "short"}}).ok());
    std::vector<double> out(3, 9.0);
    EXPECT_EQ(HIFAIL, read_span(db_, find("S"), {0, 2}, out.data()).code());
    EXPECT_EQ(std::vector<double>(3, 9.0), out);
    const double one = 1.0;
    EXPECT_EQ(HIFAIL, write_span(db_, find("S"), {5, 5}, &one).code());
}

TEST_F(SeriesRoom, StringSpansKeepTheirNeighbours) {
    ASSERT_TRUE(objects::create_object(db_, "T", {HSERIE, HDAILY, HSTRNG, 0, 0}).ok());
    ValuedObject t = find("T");
    std::vector<std::string> texts = {"a", "", std::string(3000, 'x'), "caf\xc3\xa9"};
    ASSERT_TRUE(write_span(db_, t, {1022, 1025}, texts.data()).ok());
    const std::string middle = "m";
    ASSERT_TRUE(write_span(db_, find("T"), {1023, 1023}, &middle).ok());
    std::vector<std::string> back(6);
    ASSERT_TRUE(read_span(db_, find("T"), {1021, 1026}, back.data()).ok());
    std::vector<std::string> want = {missing::kStringND, "a",      "m",
                                     texts[2],           texts[3], missing::kStringND};
    EXPECT_EQ(want, back);
}

TEST(SeriesKinds, TranslationAndConversionKeepMissingCodes) {
    const double table[3] = {-1.0, -2.0, -3.0};
    Translation<double> tr{table};
    EXPECT_EQ(-2.0, tr.on_read(Missing<double>::codes[kSlotND]));
    EXPECT_EQ(5.0, tr.on_read(5.0));
    EXPECT_EQ(Missing<double>::codes[kSlotNA], tr.on_write(-3.0));
    EXPECT_EQ(Missing<float>::codes[kSlotNC],
              (convert_value<double, float>(Missing<double>::codes[kSlotNC])));
    EXPECT_EQ(Missing<double>::codes[kSlotND],
              (convert_value<int32_t, double>(Missing<int32_t>::codes[kSlotND])));
    EXPECT_EQ(0.5f, (convert_value<double, float>(0.5)));
    EXPECT_EQ(-std::numeric_limits<float>::infinity(), (convert_value<double, float>(-1e300)));
}

}  // namespace
