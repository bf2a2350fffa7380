// Files that are not ours to write: pipes and devices, other programs'
// databases, empty files, read-only media, and running out of descriptors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "store/store.h"
#include "temp_dir.h"

using namespace crqx;
using store::Mode;
using store::Store;

namespace {

const Mode kOpeningModes[] = {Mode::Read,   Mode::Overwrite, Mode::Update,
                              Mode::Shared, Mode::Write,     Mode::Direct};

std::string bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

int open_code(const std::string& path, Mode mode) {
    std::unique_ptr<Store> s;
    return store::open_store(path, mode, {}, &s).code();
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_dir::make("/tmp/crqx-files");
        path_ = dir_ + "/db.crqx";
    }
    void TearDown() override {
        set_immutable(dir_, false);
        ASSERT_TRUE(temp_dir::remove(dir_));
    }

    // Sets or clears the immutable flag of a folder; false where the file
    // system or the user's rights do not allow it.
    static bool set_immutable(const std::string& path, bool on) {
        int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }

    void make_database_with(const std::string& name) {
        std::unique_ptr<Store> s;
        ASSERT_TRUE(store::open_store(path_, Mode::Create, {}, &s).ok());
        store::ObjectRecord r;
        r.name = name, r.object_class = HSERIE, r.type = HNUMRC, r.frequency = HDAILY;
        ASSERT_TRUE(s->begin_change().ok());
        ASSERT_TRUE(s->insert_object(r).ok());
        ASSERT_TRUE(s->end_change(true).ok());
        ASSERT_TRUE(s->close(true).ok());
    }

    std::string dir_, path_;
};

TEST_F(FilesTest, PipeIsRefusedAtOnceInEveryMode) {
    ASSERT_EQ(0, mkfifo(path_.c_str(), 0644));
    alarm(20);  // a blocked open would hang here: let the alarm end the run instead
    for (Mode mode : kOpeningModes)
        EXPECT_EQ(HBFILE, open_code(path_, mode)) << static_cast<int>(mode);
    EXPECT_EQ(HBFILE, open_code(path_, Mode::Create));
    alarm(0);
    struct stat st;
    ASSERT_EQ(0, stat(path_.c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe is left as it was";
    EXPECT_FALSE(exists(path_ + "-wal") || exists(path_ + "-journal"));
}

TEST_F(FilesTest, DeviceIsRefusedAndNothingIsCreatedBesideIt) {
    const std::string device = "/dev/null";
    const std::string beside[] = {device + "-journal", device + "-wal", device + "-shm"};
    for (const std::string& b : beside)
        if (exists(b)) GTEST_SKIP() << b << " exists already";
    for (Mode mode : kOpeningModes)
        EXPECT_EQ(HBFILE, open_code(device, mode)) << static_cast<int>(mode);
    for (const std::string& b : beside) {
        EXPECT_FALSE(exists(b)) << b;
        unlink(b.c_str());
    }
}

// Another program's database and an empty file are identified before
// anything writes: every mode refuses them and leaves every byte.
TEST_F(FilesTest, ForeignAndEmptyFilesStayByteForByte) {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path_.c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES (42);", nullptr,
                                      nullptr, nullptr));
    sqlite3_close(db);
    const std::string empty = dir_ + "/empty.crqx";
    std::ofstream(empty).close();

    for (const std::string& file : {path_, empty}) {
        const std::string before = bytes_of(file);
        for (Mode mode : kOpeningModes) {
            EXPECT_EQ(HNZVDB, open_code(file, mode)) << file << " mode " << static_cast<int>(mode);
            EXPECT_EQ(before, bytes_of(file))
                << file << " changed by mode " << static_cast<int>(mode);
        }
        EXPECT_EQ(HCEXI, open_code(file, Mode::Create));
        EXPECT_EQ(before, bytes_of(file));
    }
}

TEST_F(FilesTest, DatabaseOnReadOnlyMediaOpensForReading) {
    make_database_with("GDP");
    const std::string before = bytes_of(path_);
    if (!set_immutable(dir_, true)) GTEST_SKIP() << "cannot make a folder immutable here";
    std::unique_ptr<Store> s;
    Status st = store::open_store(path_, Mode::Read, {}, &s);
    ASSERT_TRUE(st.ok()) << st.message();
    store::ObjectRecord r;
    EXPECT_TRUE(s->find_object("gdp", &r).ok());
    EXPECT_EQ(HREADO, s->begin_change().code());
    s.reset();
    EXPECT_NE(HSUCC, open_code(path_, Mode::Update));
    EXPECT_EQ(before, bytes_of(path_));
}

// Fills the process's descriptor table up to a lowered limit and restores
// both afterwards.
class DescriptorsExhausted {
public:
    DescriptorsExhausted() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = 64;
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = dup(0)) >= 0;) held_.push_back(fd);
    }
    ~DescriptorsExhausted() {
        for (int fd : held_) ::close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

private:
    rlimit saved_{};
    std::vector<int> held_;
};

TEST_F(FilesTest, RunningOutOfDescriptorsSaysSo) {
    make_database_with("GDP");
    const std::string fresh = dir_ + "/new.crqx";
    {
        DescriptorsExhausted full;
        EXPECT_EQ(HMFILE, open_code(path_, Mode::Read));
        EXPECT_EQ(HMFILE, open_code(path_, Mode::Update));
        EXPECT_EQ(HMFILE, open_code(fresh, Mode::Create));
    }
    EXPECT_FALSE(exists(fresh));
    EXPECT_EQ(HSUCC, open_code(path_, Mode::Update)) << "usable again once descriptors are free";
}

}  // namespace
