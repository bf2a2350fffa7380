"""The fuzzer's world: a folder of database files (good, damaged, foreign,
empty, a pipe, a folder), a session with databases open in every mode, and
the keys handed out so far (live and closed), which calls draw on."""
import os
import shutil
import sqlite3

# Files every restart puts back as they were; the engine's own ones are
# copies of the seed database.
OPEN_AT_START = [("main.db", "HUMODE"), ("read.db", "HRMODE"), ("shared.db", "HSMODE"),
                 ("direct.db", "HDMODE"), ("damaged.db", "HRMODE"), ("damaged2.db", "HUMODE"),
                 ("mangled.db", "HRMODE"), ("mangled2.db", "HUMODE")]
# Damage whose file is sound to SQLite: stored values, spans, codes and
# properties the engine did not write. Each is tried on its own, so that a
# change of the storage's layout drops only the ones that no longer apply.
MANGLES = [
    "UPDATE value_chunks SET data = substr(data, 1, length(data) / 2) WHERE chunk % 4 = 0",
    "UPDATE value_chunks SET data = data || x'deadbeef01' WHERE chunk % 4 = 1",
    "UPDATE value_chunks SET data = substr(data, 2) WHERE chunk % 4 = 2",
    "UPDATE value_chunks SET data = x'' WHERE chunk % 4 = 3",
    "UPDATE value_chunks SET chunk = chunk + 1000000 WHERE chunk % 5 = 0",
    "UPDATE objects SET first_index = last_index + 1000 WHERE name = 'NUM'",
    "UPDATE objects SET last_index = 2147483647, first_index = -2147483648 WHERE name = 'PREC'",
    "UPDATE objects SET type = 99 WHERE name = 'BOOL'",
    "UPDATE objects SET frequency = 12345 WHERE name = 'STR'",
    "UPDATE objects SET type = 4 WHERE name = 'DAYS'",
    "UPDATE objects SET class = 0, frequency = -1 WHERE name = 'SC'",
    "UPDATE objects SET numobs_hint = -1, numchr_hint = 2147483647, growth_hint = 1e308",
    "UPDATE attributes SET type = 77, frequency = -5 WHERE name = 'FLAG'",
    "UPDATE attributes SET text = 'x' || char(0) || 'y' WHERE name = 'NOTE'",
    "UPDATE namelist_elements SET name = '' WHERE position = 1",
    "UPDATE namelist_elements SET position = -7 WHERE position = 2",
    "UPDATE aliases SET object_id = 999999",
    "UPDATE properties SET value = 'x' WHERE key NOT LIKE '%version%'",
]
FILE_NAMES = ["main.db", "read.db", "shared.db", "direct.db", "seed.db", "damaged.db",
              "damaged2.db", "mangled.db", "mangled2.db",
              "truncated.db", "empty.db", "foreign.db", "text.db", "fifo", "folder",
              "nosuch.db", "nosuchdir/x.db", "folder/", "", " ", "a" * 300 + ".db",
              "b" * 5000, "\u4e2d.db", "x\x00y.db", "./main.db", "MAIN.DB"]
MAX_OPEN = 24


def status_of(cell):
    return cell[0]


class World:
    def __init__(self, p, folder, rng):
        self.p, self.folder, self.rng = p, folder, rng
        self.live, self.closed = [], []   # database keys
        self.started = []                 # (key, file, mode) opened at start
        self.conns, self.wilds = [], []
        self.fresh = 0                    # names of files to create
        self.bookkeeping = 0              # calls made to keep the world going
        self.descriptors = None           # open with no session, at first
        self.leaks = []

    # ---- calls the world makes for itself -----------------------------------
    def call(self, fn, *args):
        self.bookkeeping += 1
        status = [-1]
        getattr(self.p, fn)(status, *args)
        return status[0]

    def make_seed(self):
        """The seed database: one object of each class and type, with values,
        attributes, aliases and texts, for the calls to find."""
        p = self.p
        key = [0]
        self.call("qzvini")
        assert self.call("qzvopdb", key, ["seed.db"], p.HCMODE) == p.HSUCC
        k = key[0]
        day = [0] * 3
        month = [0] * 3
        year = [0] * 3
        p.zavo_init_range_from_indexes(day, p.HDAILY, 700000, 701999)
        p.zavo_init_range_from_indexes(month, p.HMONTH, 24000, 24011)
        p.zavo_init_range_from_indexes(year, p.HANDEC, 2000, 2009)
        objects = [("NUM", p.HSERIE, p.HDAILY, p.HNUMRC), ("PREC", p.HSERIE, p.HDAILY, p.HPRECN),
                   ("BOOL", p.HSERIE, p.HMONTH, p.HBOOLN), ("STR", p.HSERIE, p.HANDEC, p.HSTRNG),
                   ("DAYS", p.HSERIE, p.HMONTH, p.HDAILY), ("NL", p.HSCALA, p.HUNDFX, p.HNAMEL),
                   ("SC", p.HSCALA, p.HUNDFX, p.HPRECN)]
        for name, cls, freq, typ in objects:
            self.call("qzvnwob", k, [name], cls, freq, typ, p.HBSDAY, p.HOBEND)
        p.zavo_write_numerics(k, ["NUM"], day, [float(i) for i in range(2000)])
        p.zavo_write_precisions(k, ["PREC"], day, [i * 0.5 for i in range(2000)])
        p.zavo_write_booleans(k, ["BOOL"], month, [i % 2 for i in range(12)])
        p.zavo_write_strings(k, ["STR"], year, ["s%d" % i * i for i in range(10)])
        p.zavo_write_dates(k, ["DAYS"], month, p.HDAILY, list(range(700000, 700012)))
        p.zavo_write_precisions(k, ["SC"], None, [2.5])
        self.call("qzvwtnl", k, ["NL"], 1, ["NUM"])
        self.call("qzvwtnl", k, ["NL"], 2, ["PREC"])
        p.zavo_create_formula(k, ["FRM"], ["PREC * 2"])
        p.zavo_create_global_formula(k, ["GF"], ["NUM + 1"])
        p.zavo_set_string_attribute(k, ["PREC"], ["NOTE"], ["a note"])
        p.zavo_set_boolean_attribute(k, ["PREC"], ["FLAG"], 1)
        p.zavo_set_date_attribute(k, ["PREC"], ["WHEN"], 24000, p.HMONTH)
        p.zavo_set_precision_attribute(k, ["PREC"], ["RATE"], 0.25)
        p.zavo_set_namelist_attribute(k, ["PREC"], ["PARTS"], ["NUM, BOOL"])
        self.call("qzvsali", k, ["PREC"], ["P_ALIAS"])
        self.call("qzvsaso", k, ["PREC"], ["NUM, STR"])
        self.call("qzvsdes", k, ["PREC"], ["prices"])
        self.call("qzvddes", k, ["the seed"])
        assert self.call("qzvpodb", k) == p.HSUCC
        assert self.call("qzvcldb", k) == p.HSUCC

    def make_files(self):
        os.makedirs("folder", exist_ok=True)
        if not os.path.exists("fifo"):
            os.mkfifo("fifo")
        seed = open("seed.db", "rb").read()
        for name, _ in OPEN_AT_START:
            shutil.copyfile("seed.db", name)
        damaged = bytearray(seed)
        for at in range(len(seed) // 3, len(seed), 997):
            damaged[at] ^= 0x5A
        for name in ("damaged.db", "damaged2.db"):
            open(name, "wb").write(damaged)
        for name in ("mangled.db", "mangled2.db"):
            self.mangle(name)
        open("truncated.db", "wb").write(seed[: len(seed) // 2 + 100])
        open("empty.db", "wb").close()
        open("text.db", "wb").write(b"not a database\n" * 300)
        for suffix in ("", "-wal", "-shm", "-journal"):
            if os.path.exists("foreign.db" + suffix):
                os.remove("foreign.db" + suffix)
        with sqlite3.connect("foreign.db") as db:
            db.execute("CREATE TABLE t(x)")
            db.execute("INSERT INTO t VALUES (1)")
        db.close()

    @staticmethod
    def mangle(name):
        shutil.copyfile("seed.db", name)
        db = sqlite3.connect(name)
        db.execute("PRAGMA foreign_keys = OFF")
        for statement in MANGLES:
            try:
                db.execute(statement)
            except sqlite3.Error:
                pass
        db.commit()
        db.close()

    # ---- session ---------------------------------------------------------------
    def start(self):
        """Ends any session, puts the files back and opens them again."""
        p = self.p
        self.call("qzvfin")
        self.check_descriptors()
        self.live, self.closed = [], self.closed[-50:] + self.live[-50:]
        self.conns, self.wilds = [], []
        self.make_files()
        assert self.call("qzvini") == p.HSUCC
        self.call("qzvsopt", ["DURABILITY"], ["NORMAL"])
        self.call("qzvsopt", ["BUSY_TIMEOUT"], ["0"])
        self.started = []
        for name, mode in OPEN_AT_START + [(None, None)]:
            self.open_again(name, mode)

    def open_again(self, name, mode):
        """Opens one of the files opened at start (None: a work database)."""
        key = [0]
        status = (self.call("qzvopwk", key) if name is None else
                  self.call("qzvopdb", key, [name], getattr(self.p, mode)))
        if status == self.p.HSUCC:
            self.live.append(key[0])
            self.started.append((key[0], name, mode))

    def check_descriptors(self):
        """With no session running the engine holds no file open: more open
        descriptors than after the first session are a leak."""
        held = len(os.listdir("/proc/self/fd")) if os.path.isdir("/proc/self/fd") else 0
        if self.descriptors is None:
            self.descriptors = held
        elif held > self.descriptors:
            self.leaks.append("%d files open with no session running, %d at first" %
                              (held, self.descriptors))
            self.descriptors = held

    def file_name(self):
        """A name from the folder's files, or a new one to create."""
        if self.rng.random() < 0.3:
            self.fresh += 1
            return "fresh%d.db" % self.fresh
        return self.rng.choice(FILE_NAMES)

    # ---- keys the calls hand out and take back --------------------------------
    def opened(self, key):
        if isinstance(key, int) and key not in self.live:
            self.live.append(key)
        kept = {entry[0] for entry in self.started}
        while len(self.live) > MAX_OPEN:
            old = next(k for k in self.live if k not in kept)
            self.live.remove(old)
            self.call("qzvcldb", old)
            self.closed.append(old)

    def closed_key(self, key):
        """A key closed by a call; one of those opened at start is opened
        again, so that most calls keep finding the seed's objects."""
        for entry in self.started:
            if entry[0] == key:
                self.started.remove(entry)
                self.open_again(*entry[1:])
        if key in self.live:
            self.live.remove(key)
            self.closed.append(key)

    def db_key(self):
        r = self.rng.random()
        if r < 0.7 and self.started:
            return self.rng.choice(self.started)[0]
        if r < 0.85 and self.live:
            return self.rng.choice(self.live)
        if r < 0.93 and self.closed:
            return self.rng.choice(self.closed)
        return self.rng.choice([0, -1, 10**6, 2**31 - 1, -(2**31)])

    def conn_key(self):
        if self.conns and self.rng.random() < 0.7:
            return self.rng.choice(self.conns)
        return self.rng.choice([0, -1, 1, 2, 2**31 - 1])

    def wild_key(self):
        if self.wilds and self.rng.random() < 0.7:
            return self.rng.choice(self.wilds)
        return self.rng.choice([0, -1, 1, 2, 2**31 - 1])
