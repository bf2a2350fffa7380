// The file format: a file of format 1 made by an earlier engine reads as it
// is and is upgraded by its first change; checksums catch damaged value
// chunks on every path that reads them (reads, writes over part of a chunk,
// the file check, pack), and nothing is written over damage.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "aliases/aliases.h"
#include "objects/objects.h"
#include "series/series.h"
#include "store/registry.h"
#include "store/schema.h"
#include "temp_dir.h"

using namespace crqx;
using store::Mode;

namespace {

std::string bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The tables of a file, straight from SQLite.
std::vector<std::string> tables_of(const std::string& path) {
    sqlite3* db = nullptr;
    std::vector<std::string> names;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            names.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return names;
}

bool has_table(const std::string& path, const std::string& name) {
    for (const std::string& t : tables_of(path))
        if (t == name) return true;
    return false;
}

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_dir::make("/tmp/crqx-format");
        path_ = dir_ + "/db.crqx";
    }
    void TearDown() override { ASSERT_TRUE(temp_dir::remove(dir_)); }

    Status open(Mode mode) {
        db_ = store::Database();
        return store::open_store(path_, mode, {}, &db_.store);
    }
    void close(bool post) { ASSERT_TRUE(db_.store->close(post).ok()); }
    int version() {
        store::DatabaseInfo info;
        EXPECT_TRUE(db_.store->read_info(&info).ok());
        return info.version;
    }
    template <typename T>
    Status read(const char* name, series::Span span, std::vector<T>* out) {
        series::ValuedObject o;
        CRQX_RETURN_IF_ERROR(series::find_valued(db_, name, &o));
        out->assign(static_cast<size_t>(span.count()), T());
        return series::read_span(db_, o, span, out->data());
    }
    template <typename T>
    Status write(const char* name, series::Span span, const std::vector<T>& in) {
        series::ValuedObject o;
        CRQX_RETURN_IF_ERROR(series::find_valued(db_, name, &o));
        return series::write_span(db_, o, span, in.data());
    }

    // What tests/engine/data/make_format1.py wrote.
    void expect_format1_contents() {
        std::vector<double> p;
        ASSERT_TRUE(read("P", {999, 1099}, &p).ok());
        const double nd = series::Missing<double>::codes[series::kSlotND];
        const double na = series::Missing<double>::codes[series::kSlotNA];
        EXPECT_EQ(nd, p.front());
        for (int i = 0; i < 100; ++i)
            if (i == 50)
                EXPECT_EQ(na, p[i + 1]);
            else
                EXPECT_EQ(1000.5 + i, p[i + 1]) << i;
        std::vector<float> n;
        ASSERT_TRUE(read("N", {2040, 2049}, &n).ok());
        for (int i = 0; i < 10; ++i) EXPECT_EQ(i * 0.5f, n[i]);
        std::vector<std::string> t;
        ASSERT_TRUE(read("T", {10, 12}, &t).ok());
        EXPECT_EQ((std::vector<std::string>{"alpha", "", "gamma"}), t);
        std::vector<double> k;
        ASSERT_TRUE(read("K", {0, 0}, &k).ok());
        EXPECT_EQ(42.25, k[0]);
        std::vector<double> by_alias;
        ASSERT_TRUE(read("pa", {1000, 1000}, &by_alias).ok());
        EXPECT_EQ(1000.5, by_alias[0]);
        store::AttributeRecord unit;
        ASSERT_TRUE(db_.store->find_attribute("P", "UNIT", &unit).ok());
        EXPECT_EQ("kg", unit.text);
    }

    std::string dir_, path_;
    store::Database db_;
};

// Files an engine of each older format wrote (tests/engine/data, the same
// contents each): read as they are, upgraded by their first change.
class OlderFormat : public FormatTest, public ::testing::WithParamInterface<int> {
protected:
    void copy_file() {
        std::filesystem::copy_file(
            std::string(CRQX_TEST_DATA) + "/format" + std::to_string(GetParam()) + ".crqx", path_);
    }
};

TEST_P(OlderFormat, ReadsAsItIsAndUpgradesAtItsFirstChange) {
    const int old = GetParam();
    copy_file();
    const std::string original = bytes_of(path_);

    // Read mode and a writing mode that only reads leave the file alone.
    for (Mode mode : {Mode::Read, Mode::Update}) {
        ASSERT_TRUE(open(mode).ok());
        EXPECT_EQ(old, version());
        expect_format1_contents();
        EXPECT_TRUE(db_.store->check_file().ok());
        close(true);
        EXPECT_EQ(original, bytes_of(path_)) << "mode " << static_cast<int>(mode);
    }

    // A change that is undone takes the upgrade with it.
    ASSERT_TRUE(open(Mode::Shared).ok());
    ASSERT_TRUE(write<double>("P", {1100, 1100}, {7.0}).ok());
    EXPECT_EQ(store::kFormatVersion, version());
    ASSERT_TRUE(db_.store->restore().ok());
    EXPECT_EQ(old, version());
    expect_format1_contents();
    close(false);
    EXPECT_EQ(old == 1, has_table(path_, "value_chunks"));

    // A posted change upgrades the whole file: every value travels.
    ASSERT_TRUE(open(Mode::Update).ok());
    ASSERT_TRUE(write<double>("P", {1100, 1100}, {7.0}).ok());
    ASSERT_TRUE(write<double>("K", {0, 0}, {43.25}).ok());  // a short one, now kept inline
    EXPECT_EQ(store::kFormatVersion, version());
    close(true);
    EXPECT_FALSE(has_table(path_, "value_chunks"));
    EXPECT_TRUE(has_table(path_, "chunks"));
    ASSERT_TRUE(open(Mode::Read).ok());
    EXPECT_EQ(store::kFormatVersion, version());
    std::vector<double> k;
    ASSERT_TRUE(read("K", {0, 0}, &k).ok());
    EXPECT_EQ(43.25, k[0]);
    close(false);
    ASSERT_TRUE(open(Mode::Update).ok());
    ASSERT_TRUE(write<double>("K", {0, 0}, {42.25}).ok());
    close(true);
    ASSERT_TRUE(open(Mode::Read).ok());
    expect_format1_contents();
    std::vector<double> added;
    ASSERT_TRUE(read("P", {1100, 1100}, &added).ok());
    EXPECT_EQ(7.0, added[0]);
    EXPECT_TRUE(db_.store->check_file().ok());
    close(false);
}

TEST_P(OlderFormat, OverwritingLeavesAnEmptyCurrentFile) {
    copy_file();
    ASSERT_TRUE(open(Mode::Overwrite).ok());
    EXPECT_EQ(store::kFormatVersion, version());
    std::vector<store::ObjectRecord> all;
    ASSERT_TRUE(db_.store->list_objects(&all).ok());
    EXPECT_TRUE(all.empty());
    ASSERT_TRUE(objects::create_object(db_, "S", {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
    ASSERT_TRUE(write<double>("S", {0, 0}, {1.0}).ok());
    close(true);
    EXPECT_FALSE(has_table(path_, "value_chunks"));
}

INSTANTIATE_TEST_SUITE_P(Files, OlderFormat, ::testing::Values(1, 2));

// Where an object's chunks are kept, straight from SQLite: "inline N" for
// a chunk in its row, then the numbers of its chunk rows.
std::string chunk_places(const std::string& path, const char* name) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT 'inline ' || inline_chunk FROM objects"
                           " WHERE name = ?1 AND inline_chunk IS NOT NULL UNION ALL"
                           " SELECT c.chunk FROM chunks c JOIN objects o ON o.id = c.object_id"
                           " WHERE o.name = ?1",
                           -1, &st, nullptr);
        sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW)
            out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) + " ";
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

// An object whose values fit in one chunk keeps it in its row; a second
// chunk moves it to the chunk rows, and the values follow every move.
TEST_F(FormatTest, AShortObjectsChunkLivesInItsRowUntilASecondComes) {
    ASSERT_TRUE(open(Mode::Create).ok());
    ASSERT_TRUE(objects::create_object(db_, "S", {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
    ASSERT_TRUE(write("S", {1030, 1039}, std::vector<double>(10, 1.5)).ok());
    ASSERT_TRUE(write("S", {1040, 1040}, std::vector<double>{2.5}).ok());  // the same chunk
    close(true);
    EXPECT_EQ("inline 1 ", chunk_places(path_, "S"));

    ASSERT_TRUE(open(Mode::Update).ok());
    ASSERT_TRUE(objects::copy_object(db_, db_, "S", "C").ok());
    ASSERT_TRUE(write("S", {5000, 5000}, std::vector<double>{3.5}).ok());  // another chunk
    close(true);
    EXPECT_EQ("1 4 ", chunk_places(path_, "S"));
    EXPECT_EQ("inline 1 ", chunk_places(path_, "C"));

    ASSERT_TRUE(open(Mode::Update).ok());
    ASSERT_TRUE(write("S", {1030, 1030}, std::vector<double>{-1.5}).ok());  // stays a row
    std::vector<double> s, c;
    for (bool hinted : {false, true}) {
        store::ReadScope scope(*db_.store);
        if (hinted) db_.store->expect_chunk_span(1, 1);
        ASSERT_TRUE(read("C", {1030, 1040}, &c).ok());
    }
    ASSERT_TRUE(read("S", {1030, 5000}, &s).ok());
    EXPECT_EQ(-1.5, s[0]);
    EXPECT_EQ(1.5, s[1]);
    EXPECT_EQ(2.5, s[10]);
    EXPECT_EQ(3.5, s.back());
    EXPECT_EQ(1.5, c[0]);
    EXPECT_EQ(2.5, c[10]);
    EXPECT_TRUE(db_.store->check_file().ok());
    ASSERT_TRUE(objects::delete_object(db_, "C").ok());
    close(true);
    EXPECT_EQ("1 4 ", chunk_places(path_, "S"));
    EXPECT_EQ("", chunk_places(path_, "C"));
}

// A chunk kept in its row and among the chunk rows at once is damage the
// file check reports.
TEST_F(FormatTest, AChunkKeptTwiceIsReported) {
    ASSERT_TRUE(open(Mode::Create).ok());
    ASSERT_TRUE(objects::create_object(db_, "S", {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
    ASSERT_TRUE(write("S", {0, 0}, std::vector<double>{1.5}).ok());
    close(true);
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &db));
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(db,
                           "INSERT INTO chunks(object_id, chunk, checksum, data)"
                           " SELECT id, inline_chunk, inline_checksum, inline_data FROM objects",
                           nullptr, nullptr, nullptr));
    sqlite3_close(db);
    ASSERT_TRUE(open(Mode::Read).ok());
    Status s = db_.store->check_file();
    EXPECT_EQ(HIFAIL, s.code());
    EXPECT_NE(std::string::npos, s.message().find("kept inline beside chunk rows")) << s.message();
    close(false);
}

TEST_F(FormatTest, NewerFormatIsRefused) {
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &db));
        std::string marks = "PRAGMA application_id = " + std::to_string(store::kApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(store::kFormatVersion + 1);
        sqlite3_exec(db, marks.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_EQ(HBVER, open(Mode::Read).code());
}

// A short series costs about its values, not a whole chunk.
TEST_F(FormatTest, ShortSeriesStoreOnlyTheirValues) {
    ASSERT_TRUE(open(Mode::Create).ok());
    ASSERT_TRUE(objects::create_object(db_, "S", {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
    ASSERT_TRUE(write("S", {100, 109}, std::vector<double>(10, 1.5)).ok());
    ASSERT_TRUE(write("S", {120, 120}, std::vector<double>{2.5}).ok());  // the run grows
    std::vector<store::Chunk> chunks;
    ASSERT_TRUE(db_.store->read_chunks("S", &chunks).ok());
    ASSERT_EQ(1u, chunks.size());
    EXPECT_EQ(4 + 21 * sizeof(double), chunks[0].data.size());
    std::vector<double> got;
    ASSERT_TRUE(read("S", {99, 121}, &got).ok());
    const double nd = series::Missing<double>::codes[series::kSlotND];
    EXPECT_EQ(nd, got[0]);
    EXPECT_EQ(1.5, got[1]);
    EXPECT_EQ(nd, got[11]);
    EXPECT_EQ(2.5, got[21]);
    EXPECT_EQ(nd, got[22]);
    close(true);
}

// The properties a store keeps in memory follow another writer's post.
TEST_F(FormatTest, CachedPropertiesFollowAnotherWritersPost) {
    ASSERT_TRUE(open(Mode::Create).ok());
    close(true);
    std::unique_ptr<store::Store> reader, writer;
    ASSERT_TRUE(store::open_store(path_, Mode::Read, {}, &reader).ok());
    store::DatabaseInfo info;
    ASSERT_TRUE(reader->read_info(&info).ok());
    EXPECT_EQ("", info.description);
    ASSERT_TRUE(store::open_store(path_, Mode::Shared, {}, &writer).ok());
    ASSERT_TRUE(writer->begin_change().ok());
    info.description = "posted elsewhere";
    ASSERT_TRUE(writer->write_info(info).ok());
    ASSERT_TRUE(writer->end_change(true).ok());
    ASSERT_TRUE(reader->read_info(&info).ok());
    EXPECT_EQ("", info.description) << "not posted yet";
    ASSERT_TRUE(writer->post().ok());
    ASSERT_TRUE(reader->read_info(&info).ok());
    EXPECT_EQ("posted elsewhere", info.description);
    ASSERT_TRUE(writer->read_info(&info).ok());
    EXPECT_EQ("posted elsewhere", info.description);
}

// 64 bytes flipped on disk inside the chunk of series "D".
class DamagedChunk : public FormatTest {
protected:
    void SetUp() override {
        FormatTest::SetUp();
        ASSERT_TRUE(open(Mode::Create).ok());
        for (const char* name : {"D", "OK"}) {
            ASSERT_TRUE(objects::create_object(db_, name, {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
            std::vector<double> values;
            for (int i = 0; i < 401; ++i) values.push_back((name[0] == 'D' ? 1e6 : 2e6) + i);
            ASSERT_TRUE(write(name, {0, 400}, values).ok());
        }
        close(true);
        std::string bytes = bytes_of(path_);
        double marker = 1e6 + 200;
        std::string pattern(reinterpret_cast<const char*>(&marker), sizeof marker);
        size_t at = bytes.find(pattern);
        ASSERT_NE(std::string::npos, at);
        for (size_t i = at; i < at + 64; ++i) bytes[i] = static_cast<char>(~bytes[i]);
        put_bytes(path_, bytes);
        damaged_ = bytes;
    }
    std::string damaged_;
};

TEST_F(DamagedChunk, ReadsFailNamingTheObjectAndOthersStillRead) {
    ASSERT_TRUE(open(Mode::Read).ok());
    std::vector<double> out;
    Status s = read("D", {0, 400}, &out);
    EXPECT_EQ(HIFAIL, s.code());
    EXPECT_NE(std::string::npos, s.message().find("'D'")) << s.message();
    EXPECT_EQ(HIFAIL, read("D", {390, 400}, &out).code()) << "any read of the chunk";
    ASSERT_TRUE(read("OK", {0, 400}, &out).ok());
    EXPECT_EQ(2e6 + 400, out.back());
    Status checked = db_.store->check_file();
    EXPECT_EQ(HIFAIL, checked.code());
    EXPECT_NE(std::string::npos, checked.message().find("'D'")) << checked.message();
    close(false);
}

// A short range read fetches its chunks with the object's lookup: they are
// checked all the same when the read takes them.
TEST_F(DamagedChunk, ChunksFetchedWithTheLookupAreCheckedToo) {
    ASSERT_TRUE(open(Mode::Read).ok());
    std::vector<double> out;
    for (const char* name : {"D", "OK"}) {
        store::ReadScope scope(*db_.store);
        db_.store->expect_chunk_span(0, 0);
        Status s = read(name, {0, 400}, &out);
        if (name[0] == 'D') {
            EXPECT_EQ(HIFAIL, s.code()) << s.message();
        } else {
            ASSERT_TRUE(s.ok()) << s.message();
            EXPECT_EQ(2e6 + 400, out.back());
        }
    }
    close(false);
}

TEST_F(DamagedChunk, NothingIsWrittenOverDamage) {
    ASSERT_TRUE(open(Mode::Update).ok());
    EXPECT_EQ(HIFAIL, write<double>("D", {5, 5}, {1.0}).code());
    EXPECT_EQ(HIFAIL, objects::copy_object(db_, db_, "D", "D2").code());
    ASSERT_TRUE(db_.store->restore().ok());
    EXPECT_EQ(HIFAIL, db_.store->pack().code()) << "pack would copy the damage";
    close(false);
    EXPECT_EQ(damaged_, bytes_of(path_));
}

}  // namespace

namespace {

// Reads with the hint that a short range's chunks may come with the lookup:
// what they give is what the plain lookup and read give, whatever the name
// (own, alias, unknown) and whether the read asks for the hinted span.
class HintedReads : public FormatTest {
protected:
    void SetUp() override {
        FormatTest::SetUp();
        ASSERT_TRUE(open(Mode::Create).ok());
        ASSERT_TRUE(objects::create_object(db_, "H", {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
        std::vector<double> values;
        for (int i = 0; i < 2100; ++i) values.push_back(0.5 + i);
        ASSERT_TRUE(write("H", {0, 2099}, values).ok());
        ASSERT_TRUE(aliases::set_names(db_, "H", store::NameList::Aliases, {"HA"}).ok());
        ASSERT_TRUE(db_.store->post().ok());
    }
    void TearDown() override {
        close(false);
        FormatTest::TearDown();
    }
    Status hinted_read(const char* name, int64_t first_chunk, int64_t last_chunk, series::Span span,
                       std::vector<double>* out) {
        store::ReadScope scope(*db_.store);
        db_.store->expect_chunk_span(first_chunk, last_chunk);
        return read(name, span, out);
    }
};

TEST_F(HintedReads, GiveWhatPlainReadsGive) {
    struct Case {
        const char* name;
        int64_t first_chunk, last_chunk;
        series::Span span;
    };
    const Case cases[] = {
        {"H", 0, 0, {10, 20}},      {"HA", 0, 0, {10, 20}},    {"H", 1, 2, {1020, 2099}},
        {"H", 0, 0, {1020, 1030}},  {"h", 2, 2, {2090, 2099}}, {"H", 3, 3, {3072, 3080}},
        {"HA", 1, 1, {1024, 1030}},
    };
    for (const Case& c : cases) {
        std::vector<double> hinted, plain;
        ASSERT_TRUE(hinted_read(c.name, c.first_chunk, c.last_chunk, c.span, &hinted).ok())
            << c.name;
        ASSERT_TRUE(read(c.name, c.span, &plain).ok()) << c.name;
        EXPECT_EQ(plain, hinted) << c.name << " " << c.span.first;
        if (c.span.first < 2100) {
            EXPECT_EQ(0.5 + c.span.first, hinted.front()) << c.name;
        }
    }
    std::vector<double> out;
    EXPECT_EQ(HNOOBJ, hinted_read("NONE", 0, 0, {0, 1}, &out).code());
}

// Values written after the lookup that fetched them are what a later read
// in the same transaction sees, never the fetched ones.
TEST_F(HintedReads, AWriteBetweenLookupAndReadWins) {
    store::ReadScope scope(*db_.store);
    db_.store->expect_chunk_span(0, 0);
    series::ValuedObject o;
    ASSERT_TRUE(series::find_valued(db_, "H", &o).ok());
    ASSERT_TRUE(write<double>("H", {5, 5}, {-1.0}).ok());
    std::vector<double> out;
    ASSERT_TRUE(read("H", {0, 9}, &out).ok());
    EXPECT_EQ(-1.0, out[5]);
    EXPECT_EQ(0.5, out[0]);
    ASSERT_TRUE(db_.store->restore().ok());
}

// A hinted lookup hands its reader a record without the object's texts;
// whatever comes after it in the transaction (a write of values, a change
// of the record) works on the stored texts, which stay.
TEST_F(HintedReads, TheObjectsTextsSurviveWhatFollowsAHintedRead) {
    ASSERT_TRUE(objects::modify_object(db_, "H", [](store::ObjectRecord& r) {
                    r.description = "the description";
                    r.documentation = "the documentation";
                    return Status::OK();
                }).ok());
    ASSERT_TRUE(db_.store->post().ok());
    close(true);
    for (Mode mode : {Mode::Update, Mode::Shared}) {  // in its write transaction, and loose
        ASSERT_TRUE(open(mode).ok());
        for (int i = 0; i < 2; ++i) {
            {
                store::ReadScope scope(*db_.store);
                db_.store->expect_chunk_span(0, 0);
                std::vector<double> out;
                ASSERT_TRUE(read("H", {3, 4}, &out).ok());
            }
            if (i == 0) {
                ASSERT_TRUE(write<double>("H", {3, 3}, {-3.0}).ok());
            } else {
                ASSERT_TRUE(objects::modify_object(db_, "H", [](store::ObjectRecord& r) {
                                r.observed = HOBEND;
                                return Status::OK();
                            }).ok());
            }
        }
        ASSERT_TRUE(db_.store->post().ok());
        close(true);
        ASSERT_TRUE(open(Mode::Read).ok());
        store::ObjectRecord r;
        ASSERT_TRUE(objects::find_object(db_, "H", &r).ok());
        EXPECT_EQ("the description", r.description);
        EXPECT_EQ("the documentation", r.documentation);
        EXPECT_EQ(HOBEND, r.observed);
        close(false);
    }
    ASSERT_TRUE(open(Mode::Update).ok());  // for TearDown
}

// A hinted lookup runs on its own, before the call's transaction. When the
// call then needs another statement, it sees the object as that lookup saw
// it or fails: never one state's record with another state's values.
class LooseLookup : public HintedReads {
protected:
    // Another process changes the file (values of `name` at `index`).
    void post_from_another_process(const char* name, int64_t index, double value) {
        store::Database other;
        ASSERT_TRUE(store::open_store(path_, Mode::Shared, {}, &other.store).ok());
        series::ValuedObject o;
        ASSERT_TRUE(series::find_valued(other, name, &o).ok());
        ASSERT_TRUE(series::write_span(other, o, {index, index}, &value).ok());
        ASSERT_TRUE(other.store->close(true).ok());
    }
};

TEST_F(LooseLookup, AChangeOfItsObjectBeforeTheNextStatementFailsTheCall) {
    store::ReadScope scope(*db_.store);
    db_.store->expect_chunk_span(0, 0);
    series::ValuedObject o;
    ASSERT_TRUE(series::find_valued(db_, "H", &o).ok());
    post_from_another_process("H", 5, -1.0);
    std::vector<double> out(11);
    Status s = series::read_span(db_, o, {1020, 1030}, out.data());  // not the hinted chunks
    EXPECT_EQ(HLOCKD, s.code());
    EXPECT_NE(std::string::npos, s.message().find("'H' changed while the call read it"))
        << s.message();
}

TEST_F(LooseLookup, OtherChangesOrNoneLeaveTheCallWhole) {
    ASSERT_TRUE(objects::create_object(db_, "G", {HSERIE, HDAILY, HPRECN, 0, 0}).ok());
    ASSERT_TRUE(write<double>("G", {0, 0}, {1.0}).ok());
    ASSERT_TRUE(db_.store->post().ok());
    for (bool other_change : {false, true}) {
        store::ReadScope scope(*db_.store);
        db_.store->expect_chunk_span(0, 0);
        series::ValuedObject o;
        ASSERT_TRUE(series::find_valued(db_, "H", &o).ok());
        if (other_change) post_from_another_process("G", 0, 2.0);
        std::vector<double> out(11);
        ASSERT_TRUE(series::read_span(db_, o, {1020, 1030}, out.data()).ok()) << other_change;
        EXPECT_EQ(1020.5, out.front());
        std::vector<double> g;
        ASSERT_TRUE(read("G", {0, 0}, &g).ok());
        EXPECT_EQ(other_change ? 2.0 : 1.0, g[0]);  // the transaction began after that post
    }
}

// Taken once: a second read of the hinted span in the same call reads it
// again (in the call's transaction) and gets the same values.
TEST_F(LooseLookup, TheFetchedChunksAreHandedOutOnce) {
    store::ReadScope scope(*db_.store);
    db_.store->expect_chunk_span(0, 0);
    std::vector<double> first, second;
    ASSERT_TRUE(read("H", {3, 7}, &first).ok());
    ASSERT_TRUE(read("H", {3, 7}, &second).ok());
    EXPECT_EQ(first, second);
    EXPECT_EQ(3.5, second.front());
}

}  // namespace
