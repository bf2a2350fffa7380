// The file-backed store: access-mode rules, post/restore/close semantics,
// locking between two handles, and files that are not databases.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "store/sqlite_util.h"
#include "store/store.h"
#include "temp_dir.h"

using namespace crqx;
using store::Mode;
using store::ObjectRecord;
using store::Store;

namespace {

// A short wait for the other handle's lock keeps the locking tests quick.
const store::StoreOptions kOptions{50, store::Durability::PowerLoss};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_dir::make("/tmp/crqx-store");
        path_ = dir_ + "/db.crqx";
    }
    void TearDown() override { ASSERT_TRUE(temp_dir::remove(dir_)); }

    std::unique_ptr<Store> open(Mode mode, int expected = HSUCC) {
        std::unique_ptr<Store> s;
        Status st = store::open_store(path_, mode, kOptions, &s);
        EXPECT_EQ(expected, st.code()) << st.message();
        return s;
    }

    static ObjectRecord record(const std::string& name) {
        ObjectRecord r;
        r.name = name;
        r.object_class = HSERIE;
        r.type = HNUMRC;
        r.frequency = HDAILY;
        return r;
    }

    static int insert(Store& s, const std::string& name) {
        Status st = s.begin_change();
        if (!st.ok()) return st.code();
        st = s.insert_object(record(name));
        s.end_change(st.ok());
        return st.code();
    }

    static bool has(Store& s, const std::string& name) {
        ObjectRecord r;
        return s.find_object(name, &r).ok();
    }

    std::string dir_, path_;
};

// Which modes need the file, refuse it, or make it.
struct ModeCase {
    Mode mode;
    int on_missing;   // status when the file does not exist
    int on_existing;  // status when a database is there
};

TEST_F(StoreTest, ModesFollowTheirExistenceRules) {
    const ModeCase cases[] = {
        {Mode::Read, HRNEXI, HSUCC},     {Mode::Create, HSUCC, HCEXI},
        {Mode::Overwrite, HSUCC, HSUCC}, {Mode::Update, HRNEXI, HSUCC},
        {Mode::Shared, HRNEXI, HSUCC},   {Mode::Write, HSUCC, HSUCC},
        {Mode::Direct, HRNEXI, HSUCC},
    };
    for (const ModeCase& c : cases) {
        unlink(path_.c_str());
        open(c.mode, c.on_missing);
        EXPECT_EQ(c.on_missing != HSUCC, access(path_.c_str(), F_OK) != 0)
            << "a refused open leaves no file";
        open(Mode::Write);  // make sure a database exists
        open(c.mode, c.on_existing);
    }
}

TEST_F(StoreTest, PostKeepsRestoreAndCloseDiscard) {
    auto s = open(Mode::Create);
    ASSERT_EQ(HSUCC, insert(*s, "posted"));
    EXPECT_TRUE(s->has_unposted());
    ASSERT_TRUE(s->post().ok());
    EXPECT_FALSE(s->has_unposted());
    ASSERT_EQ(HSUCC, insert(*s, "restored"));
    EXPECT_TRUE(has(*s, "RESTORED")) << "changes are visible at once, case-insensitively";
    ASSERT_TRUE(s->restore().ok());
    EXPECT_FALSE(has(*s, "restored"));
    ASSERT_EQ(HSUCC, insert(*s, "closed"));
    ASSERT_TRUE(s->close(false).ok());

    auto again = open(Mode::Read);
    EXPECT_TRUE(has(*again, "Posted"));
    EXPECT_FALSE(has(*again, "closed"));
}

TEST_F(StoreTest, CloseWithPostKeepsChanges) {
    auto s = open(Mode::Create);
    ASSERT_EQ(HSUCC, insert(*s, "kept"));
    ASSERT_TRUE(s->close(true).ok());
    EXPECT_TRUE(has(*open(Mode::Read), "kept"));
}

TEST_F(StoreTest, FailedChangeLeavesNoTrace) {
    auto s = open(Mode::Create);
    ASSERT_EQ(HSUCC, insert(*s, "a"));
    EXPECT_EQ(HOEXI, insert(*s, "A"));
    std::vector<ObjectRecord> all;
    ASSERT_TRUE(s->list_objects(&all).ok());
    ASSERT_EQ(1u, all.size());
    EXPECT_EQ("a", all[0].name) << "stored as given";
}

// The first change of a transaction runs without a savepoint, later and
// nested ones with one: each is undone alone, whatever came before it.
TEST_F(StoreTest, EachChangeIsUndoneAloneFirstLaterOrNested) {
    for (Mode mode : {Mode::Create, Mode::Direct}) {
        std::remove(path_.c_str());
        if (mode == Mode::Direct) open(Mode::Create)->close(true);
        auto s = open(mode);
        auto failed_insert = [&](const std::string& name) {
            ASSERT_TRUE(s->begin_change().ok());
            ASSERT_TRUE(s->insert_object(record(name)).ok());
            ASSERT_TRUE(s->end_change(false).ok());
        };
        failed_insert("first");  // the first change of the transaction
        EXPECT_FALSE(has(*s, "first"));
        ASSERT_EQ(HSUCC, insert(*s, "kept"));
        failed_insert("later");
        EXPECT_FALSE(has(*s, "later"));
        ASSERT_TRUE(s->begin_change().ok());
        ASSERT_TRUE(s->insert_object(record("outer")).ok());
        failed_insert("inner");
        ASSERT_TRUE(s->end_change(true).ok());
        EXPECT_FALSE(has(*s, "inner"));
        ASSERT_TRUE(s->post().ok());
        s.reset();
        auto reader = open(Mode::Read);
        EXPECT_TRUE(has(*reader, "kept") && has(*reader, "outer"));
        EXPECT_FALSE(has(*reader, "first") || has(*reader, "later") || has(*reader, "inner"));
    }
}

// A plain change has no savepoint: failing before it wrote anything keeps
// every unposted change; failing after a write (only the storage can make
// it, by contract) gives up the whole transaction, and the store goes on.
TEST_F(StoreTest, PlainChangeKeepsOrGivesUpTheWholeTransaction) {
    auto s = open(Mode::Create);
    ASSERT_EQ(HSUCC, insert(*s, "unposted"));
    ASSERT_TRUE(s->begin_plain_change().ok());
    EXPECT_EQ(HOEXI, s->insert_object(record("UNPOSTED")).code());  // refused, nothing written
    ASSERT_TRUE(s->end_change(false).ok());
    EXPECT_TRUE(has(*s, "unposted"));
    EXPECT_TRUE(s->has_unposted());
    ASSERT_TRUE(s->begin_plain_change().ok());
    ASSERT_TRUE(s->insert_object(record("written")).ok());
    s->end_change(false);  // as after a failing write
    EXPECT_FALSE(has(*s, "written"));
    EXPECT_FALSE(has(*s, "unposted"));
    EXPECT_FALSE(s->has_unposted());
    ASSERT_EQ(HSUCC, insert(*s, "again"));
    ASSERT_TRUE(s->post().ok());
    EXPECT_TRUE(has(*open(Mode::Read), "again"));
}

TEST_F(StoreTest, DirectModePostsEachChange) {
    open(Mode::Create)->close(true);
    auto writer = open(Mode::Direct);
    ASSERT_EQ(HSUCC, insert(*writer, "at_once"));
    EXPECT_FALSE(writer->has_unposted());
    EXPECT_TRUE(has(*open(Mode::Read), "at_once"));
}

TEST_F(StoreTest, ReaderSeesOnlyPostedState) {
    auto writer = open(Mode::Create);
    auto reader = open(Mode::Read);
    ASSERT_EQ(HSUCC, insert(*writer, "pending"));
    EXPECT_FALSE(has(*reader, "pending"));
    ASSERT_TRUE(writer->post().ok());
    EXPECT_TRUE(has(*reader, "pending"));
    EXPECT_EQ(HREADO, insert(*reader, "nope"));
}

// A read scope holds one snapshot for its calls; the next scope sees what
// was posted meanwhile, including an object replaced under the same name
// (nothing found in the earlier snapshot is reused).
TEST_F(StoreTest, ReadScopeSeesOneSnapshotAndTheNextSeesPosts) {
    auto writer = open(Mode::Create);
    auto write_series = [&](const std::string& bytes) {
        ASSERT_TRUE(writer->begin_change().ok());
        ASSERT_TRUE(writer->write_chunks("s", {{0, bytes}}).ok());
        ASSERT_TRUE(writer->end_change(true).ok());
        ASSERT_TRUE(writer->post().ok());
    };
    ASSERT_EQ(HSUCC, insert(*writer, "s"));
    write_series("old");
    auto reader = open(Mode::Read);
    std::vector<store::Chunk> chunks;
    {
        store::ReadScope scope(*reader);
        ASSERT_TRUE(reader->read_chunks("s", &chunks).ok());
        ASSERT_EQ(HSUCC, insert(*writer, "later"));
        ASSERT_TRUE(writer->begin_change().ok());
        ASSERT_TRUE(writer->delete_object("s").ok());
        ASSERT_TRUE(writer->insert_object(record("s")).ok());
        ASSERT_TRUE(writer->end_change(true).ok());
        write_series("new");
        EXPECT_FALSE(has(*reader, "later")) << "the scope's snapshot moved";
        EXPECT_TRUE(has(*reader, "s"));  // found last: the object the scope remembers
    }
    EXPECT_TRUE(has(*reader, "later"));
    store::ReadScope next(*reader);
    chunks.clear();
    ASSERT_TRUE(reader->read_chunks("s", &chunks).ok());
    ASSERT_EQ(1u, chunks.size());
    EXPECT_EQ("new", chunks[0].data) << "read through the replaced object's old id";
}

// A change begun inside a read scope (shared mode) takes the write lock and
// stays unposted after the scope ends: the scope does not end its transaction.
TEST_F(StoreTest, ChangeInsideAReadScopeOutlivesTheScope) {
    open(Mode::Create)->close(true);
    auto shared = open(Mode::Shared);
    {
        store::ReadScope scope(*shared);
        EXPECT_FALSE(has(*shared, "made"));
        ASSERT_EQ(HSUCC, insert(*shared, "made"));
    }
    EXPECT_TRUE(shared->has_unposted());
    auto reader = open(Mode::Read);
    EXPECT_FALSE(has(*reader, "made"));
    ASSERT_TRUE(shared->post().ok());
    EXPECT_TRUE(has(*reader, "made"));
}

TEST_F(StoreTest, SecondWriterIsRefusedNotBlockedForever) {
    open(Mode::Create)->close(true);
    auto first = open(Mode::Update);
    open(Mode::Update, HFUSE);  // update holds the write lock from open
    auto shared = open(Mode::Shared);
    EXPECT_EQ(HLOCKD, insert(*shared, "blocked"));
    first->close(false);
    EXPECT_EQ(HSUCC, insert(*shared, "free"));
}

TEST_F(StoreTest, WaitsForALockAsLongAsItsOptionsSay) {
    open(Mode::Create)->close(true);
    auto first = open(Mode::Update);
    for (int wait_ms : {0, 400}) {
        std::unique_ptr<Store> second;
        const auto start = std::chrono::steady_clock::now();
        Status st =
            store::open_store(path_, Mode::Update, {wait_ms, store::Durability::Process}, &second);
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
        EXPECT_EQ(HFUSE, st.code()) << wait_ms;
        EXPECT_GE(waited, wait_ms);
        EXPECT_LT(waited, wait_ms + 1000) << "waited for another timeout than the one given";
    }
}

TEST_F(StoreTest, SharedWritersTakeTurnsBetweenPosts) {
    open(Mode::Create)->close(true);
    auto a = open(Mode::Shared);
    auto b = open(Mode::Shared);
    ASSERT_EQ(HSUCC, insert(*a, "from_a"));
    EXPECT_EQ(HLOCKD, insert(*b, "from_b"));
    ASSERT_TRUE(a->post().ok());
    EXPECT_EQ(HSUCC, insert(*b, "from_b"));
    ASSERT_TRUE(b->post().ok());
    EXPECT_TRUE(has(*a, "from_b"));
}

TEST_F(StoreTest, OverwriteEmptiesTheDatabase) {
    auto s = open(Mode::Create);
    insert(*s, "old");
    s->close(true);
    EXPECT_FALSE(has(*open(Mode::Overwrite), "old"));
}

TEST_F(StoreTest, PackNeedsPostedState) {
    auto s = open(Mode::Create);
    insert(*s, "x");
    EXPECT_EQ(HNPOST, s->pack().code());
    ASSERT_TRUE(s->post().ok());
    EXPECT_TRUE(s->pack().ok());
    EXPECT_TRUE(has(*s, "x"));
}

TEST_F(StoreTest, PropertiesSurviveReopen) {
    auto s = open(Mode::Create);
    store::DatabaseInfo info;
    ASSERT_TRUE(s->read_info(&info).ok());
    EXPECT_GT(info.created_ms, 0);
    info.description = "007";  // text that looks like a number stays text
    info.dimension = 3;
    ASSERT_TRUE(s->begin_change().ok());
    ASSERT_TRUE(s->write_info(info).ok());
    ASSERT_TRUE(s->end_change(true).ok());
    s->close(true);
    store::DatabaseInfo back;
    ASSERT_TRUE(open(Mode::Read)->read_info(&back).ok());
    EXPECT_EQ("007", back.description);
    EXPECT_EQ(3, back.dimension);
    EXPECT_EQ(store::kFormatVersion, back.version);
    EXPECT_GE(back.modified_ms, back.created_ms);
}

TEST_F(StoreTest, ChunksTravelWithTheObject) {
    auto s = open(Mode::Create);
    insert(*s, "series");
    ASSERT_TRUE(s->begin_change().ok());
    ASSERT_TRUE(s->write_chunks("series", {{0, std::string("a\0b", 3)}, {1, "cd"}}).ok());
    ASSERT_TRUE(s->end_change(true).ok());
    std::vector<store::Chunk> chunks;
    ASSERT_TRUE(s->read_chunks("SERIES", &chunks).ok());
    ASSERT_EQ(2u, chunks.size());
    EXPECT_EQ(std::string("a\0b", 3), chunks[0].data) << "binary data kept whole";
}

TEST_F(StoreTest, UnusableFilesGiveStatuses) {
    std::ofstream(path_) << "this is plain text, not a database file at all...........";
    open(Mode::Read, HNZVDB);
    open(Mode::Overwrite, HNZVDB);
    std::ifstream kept(path_);
    EXPECT_TRUE(kept.good()) << "a foreign file is never replaced";

    std::unique_ptr<Store> s;
    EXPECT_EQ(HBFILE, store::open_store(dir_, Mode::Read, {}, &s).code()) << "a directory";
    EXPECT_EQ(HBFILE, store::open_store("", Mode::Write, {}, &s).code());
    EXPECT_EQ(HBFILE,
              store::open_store(dir_ + "/" + std::string(600, 'x'), Mode::Write, {}, &s).code());
    EXPECT_EQ(HBFILE, store::open_store(dir_ + "/no/such/dir/db", Mode::Create, {}, &s).code());
}

TEST_F(StoreTest, ReadOnlyFileRefusesWritingModes) {
    open(Mode::Create)->close(true);
    chmod(path_.c_str(), 0444);
    if (access(path_.c_str(), W_OK) == 0) GTEST_SKIP() << "running as a user who writes anything";
    open(Mode::Update, HREADO);
    auto reader = open(Mode::Read);
    EXPECT_FALSE(has(*reader, "x"));
}

TEST_F(StoreTest, WorkDatabaseIsPrivateAndRestorable) {
    std::unique_ptr<Store> a, b;
    ASSERT_TRUE(store::open_store("", Mode::Work, {}, &a).ok());
    ASSERT_TRUE(store::open_store("", Mode::Work, {}, &b).ok());
    insert(*a, "mine");
    EXPECT_FALSE(has(*b, "mine"));
    ASSERT_TRUE(a->restore().ok());
    EXPECT_FALSE(has(*a, "mine"));
}

TEST_F(StoreTest, ColonNamesAreFilesNotMemory) {
    ASSERT_EQ(0, chdir(dir_.c_str()));
    std::unique_ptr<Store> s;
    ASSERT_TRUE(store::open_store(":memory:", Mode::Create, {}, &s).ok());
    s->close(true);
    EXPECT_EQ(0, access((dir_ + "/:memory:").c_str(), F_OK));
}

}  // namespace

// Statements are kept per connection and found again by the address of
// their text: a text at an address another text had before is its own.
TEST(KeptStatements, ATextAtAnAddressOnceUsedByAnotherIsRunAsItself) {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &db));
    char sql[32];
    for (int round = 0; round < 3; ++round) {
        for (int value : {1, 2, 3}) {
            std::snprintf(sql, sizeof sql, "SELECT %d", value);
            store::Statement st(db, sql);
            ASSERT_EQ(SQLITE_ROW, st.step());
            EXPECT_EQ(value, st.column_int(0)) << "round " << round;
        }
    }
    store::forget_statements(db);
    sqlite3_close(db);
}
