"""rqx: the command-line tool.

    rqx ls DB [PATTERN]          names matching PATTERN (default *)
    rqx show DB NAME             properties, attributes, first and last values
    rqx dump DB NAME... [-o F]   values as CSV (or Parquet: -o x.parquet)
    rqx load DB NAME FILE        values from CSV or Parquet into NAME (* every column)
    rqx plot DB NAME -o out.png  a chart (needs matplotlib: pip install pyrqx[plot])
    rqx shell DB [-c COMMANDS]   the engine's command language on DB, line by line

Exit status: 0 success, 1 the engine or a file failed, 2 bad usage. Messages
go to stderr as "rqx: ...", one line each.
"""
import argparse
import os
import sys

import pyrqx

from . import _engine, errors
from .database import open as open_database
from .frequency import Frequency


class UsageError(Exception):
    """Bad arguments: exit status 2."""


def _fail(message, status):
    sys.stderr.write("rqx: %s\n" % message)
    return status


def _progress(items, label, stream=None):
    """Yield items, drawing a progress bar on stderr when it is a terminal
    and the work is long (more than a few items)."""
    stream = stream or sys.stderr
    items = list(items)
    show = len(items) > 3 and stream.isatty()
    for done, item in enumerate(items, 1):
        yield item
        if show:
            filled = 30 * done // len(items)
            stream.write("\r%s [%s%s] %d/%d" % (label, "#" * filled, "." * (30 - filled), done, len(items)))
            stream.flush()
    if show:
        stream.write("\n")


def cmd_ls(args, out):
    with open_database(args.db, "r") as db:
        for name in db.list(args.pattern):
            out.write(name + "\n")


def cmd_show(args, out):
    with open_database(args.db, "r") as db:
        obj = db[args.name]
        rows = [("name", obj.name), ("class", obj.cls), ("type", obj.type),
                ("frequency", obj.frequency.name if obj.frequency else "-"),
                ("observations", len(obj)), ("first", obj.first or "-"), ("last", obj.last or "-"),
                ("basis", obj.basis), ("observed", obj.observed),
                ("created", obj.created.isoformat()), ("modified", obj.modified.isoformat()),
                ("description", obj.description), ("documentation", obj.documentation),
                ("aliases", ",".join(obj.aliases))]
        for attr in args.attr or []:
            rows.append(("attr " + attr, obj.attrs.get(attr, "-")))
        if obj.kind is not None and len(obj):
            values = db.read(args.name)
            head, tail = values.head(3), values.tail(3)
            rows.append(("first values", ", ".join("%s=%s" % kv for kv in head.items())))
            rows.append(("last values", ", ".join("%s=%s" % kv for kv in tail.items())))
        width = max(len(label) for label, _ in rows)
        for label, value in rows:
            out.write("%-*s  %s\n" % (width, label, value))


def _table_format(path):
    extension = os.path.splitext(path)[1].lower()
    if extension in (".parquet", ".pq"):
        return "parquet"
    if extension in (".csv", ""):
        return "csv"
    raise UsageError("unknown file type %r: use .csv or .parquet" % extension)


def _frame_of(db, names):
    """One column per series; they must share a frequency to share rows."""
    import pandas as pd
    frequencies = {name: db[name].frequency for name in names}
    if len(set(frequencies.values())) > 1:
        listed = ", ".join("%s %s" % (n, f.name if f else "(none)") for n, f in frequencies.items())
        raise UsageError("the series have different frequencies (%s): dump them one by one" % listed)
    columns = {name: db.read(name) for name in _progress(names, "dump")}
    return pd.DataFrame(columns)


def cmd_dump(args, out):
    with open_database(args.db, "r") as db:
        names = [n for pattern in args.names for n in (db.list(pattern) if "*" in pattern or "?" in pattern
                                                       else [pattern])]
        if not names:
            raise errors.NotFoundError(pyrqx.HNOOBJ, "no object matches %s" % " ".join(args.names))
        frame = _frame_of(db, names)
        frame.index = frame.index.astype(str)
        frame.index.name = "date"
        if args.output is None or args.output == "-":
            frame.to_csv(out)
        elif _table_format(args.output) == "parquet":
            _need("pyarrow", "parquet")
            frame.to_parquet(args.output)
        else:
            frame.to_csv(args.output)


def _need(module, extra):
    try:
        __import__(module)
    except ImportError:
        raise UsageError("this needs %s: pip install 'pyrqx[%s]'" % (module, extra)) from None


def _read_table(path):
    import pandas as pd
    if path != "-" and not os.path.exists(path):
        raise FileNotFoundError("%s: no such file" % path)
    if path != "-" and _table_format(path) == "parquet":
        _need("pyarrow", "parquet")
        return pd.read_parquet(path)
    return pd.read_csv(sys.stdin if path == "-" else path, index_col=0, dtype=str, keep_default_na=False)


def cmd_load(args, out):
    table = _read_table(args.file)
    if args.name == "*":
        targets = [(str(column), column) for column in table.columns]
    else:
        column = args.column or (args.name if args.name in table.columns else table.columns[0])
        if column not in table.columns:
            raise UsageError("no column %r in %s" % (column, args.file))
        targets = [(args.name, column)]
    with open_database(args.db, "w") as db:
        for name, column in _progress(targets, "load"):
            count = _load_column(db, name, table, column, args)
            out.write("loaded %d values into %s\n" % (count, name))


def _load_column(db, name, table, column, args):
    """One column into one series; the labels are the table's index."""
    import pandas as pd
    from .frames import labels_to_engine, write_indexed
    freq = args.freq or (db[name].frequency.name if name in db else None)
    if freq is None:
        raise UsageError("give --freq: %s does not exist yet" % name)
    frequency = Frequency(freq)
    indexes = labels_to_engine(frequency, [str(label) for label in table.index])
    values = table[column].replace("", None)
    if args.type in (None, "precision", "numeric"):
        values = pd.to_numeric(values, errors="raise")
    write_indexed(db, name, frequency, indexes, pd.array(values), type=args.type)
    return len(indexes)


def cmd_plot(args, out):
    _need("matplotlib", "plot")
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    with open_database(args.db, "r") as db:
        series = db.read(args.name)
    width, height = args.size
    figure, axes = plt.subplots(figsize=(width / 100, height / 100), dpi=100)
    series.plot(ax=axes, title=args.name)
    figure.savefig(args.output, dpi=100)
    plt.close(figure)


# The output queue is drained in pieces of this many bytes at most.
SHELL_PIECE = 4096
SHELL_HISTORY = os.path.join(os.path.expanduser("~"), ".rqx_history")


def _drain_output(out):
    """Writes what the commands printed, piece by piece, until the queue is empty."""
    while True:
        piece, size = [" " * SHELL_PIECE], [0]
        if pyrqx.zavo_get_server_input(piece, SHELL_PIECE, size) != pyrqx.HSUCC:
            return
        out.write(piece[0][:size[0]])


def _shell_lines(interactive):
    """The lines to run: typed at a prompt with line editing and history
    (a terminal), or read from standard input."""
    if not interactive:
        for line in sys.stdin:
            yield line.rstrip("\n")
        return
    try:
        import readline
    except ImportError:  # no line editing on this platform; input() still works
        readline = None
    if readline is not None and os.path.exists(SHELL_HISTORY):
        readline.read_history_file(SHELL_HISTORY)
    try:
        while True:
            try:
                yield input("rqx> ")
            except EOFError:
                sys.stderr.write("\n")
                return
    finally:
        if readline is not None:
            try:
                readline.write_history_file(SHELL_HISTORY)
            except OSError:
                pass


def cmd_shell(args, out):
    """Runs command lines on DB (opened for update, the commands' current
    database); a failing line is reported and the next one runs. Changes are
    posted when the shell ends normally, as POST would. Exits 1 when any
    line failed."""
    lines = args.command if args.command is not None else _shell_lines(sys.stdin.isatty())
    failed = False
    with open_database(args.db, "u"):
        for line in lines:
            if not line.strip():
                continue
            status = [0]
            pyrqx.qzvzavo(status, [line])
            # The error's text first: draining the queue ends with a status of its own.
            error = _engine.last_error_text() if status[0] != pyrqx.HSUCC else None
            _drain_output(out)
            out.flush()
            if error is not None:
                failed = True
                sys.stderr.write("rqx: %s\n" % error)
    if failed:
        raise ShellFailed()


class ShellFailed(Exception):
    """A command line failed (already reported): exit status 1."""


def _size(text):
    try:
        width, height = (int(part) for part in text.lower().split("x"))
    except ValueError:
        raise argparse.ArgumentTypeError("size is WIDTHxHEIGHT in pixels, like 800x600") from None
    if width < 50 or height < 50:
        raise argparse.ArgumentTypeError("a plot is at least 50x50 pixels")
    return width, height


class _Parser(argparse.ArgumentParser):
    """Usage errors as one line on stderr and exit status 2."""

    def error(self, message):
        raise UsageError(message)


def build_parser():
    parser = _Parser(prog="rqx", description="Look into and move data in and out of rqx databases.")
    verbs = parser.add_subparsers(dest="verb", metavar="COMMAND", parser_class=_Parser)
    verbs.required = True
    ls = verbs.add_parser("ls", help="list object names")
    ls.add_argument("db")
    ls.add_argument("pattern", nargs="?", default="*")
    ls.set_defaults(run=cmd_ls)
    show = verbs.add_parser("show", help="an object's properties and values")
    show.add_argument("db")
    show.add_argument("name")
    show.add_argument("--attr", action="append", help="also show this attribute (repeatable)")
    show.set_defaults(run=cmd_show)
    dump = verbs.add_parser("dump", help="values as CSV or Parquet")
    dump.add_argument("db")
    dump.add_argument("names", nargs="+", metavar="NAME", help="names or wildcards")
    dump.add_argument("-o", "--output", help="file to write (.csv or .parquet); default stdout")
    dump.set_defaults(run=cmd_dump)
    load = verbs.add_parser("load", help="values from CSV or Parquet")
    load.add_argument("db")
    load.add_argument("name", help="the series to fill; * loads every column under its own name")
    load.add_argument("file", help="a .csv (first column: period literals) or .parquet file; - for stdin")
    load.add_argument("--column", help="the column to load (default: NAME or the first)")
    load.add_argument("--freq", help="frequency of a new series (M, Q-DEC, MONTHLY, ...)")
    load.add_argument("--type", choices=["precision", "numeric", "string", "boolean"])
    load.set_defaults(run=cmd_load)
    plot = verbs.add_parser("plot", help="a PNG chart of a series")
    plot.add_argument("db")
    plot.add_argument("name")
    plot.add_argument("-o", "--output", required=True)
    plot.add_argument("--size", type=_size, default=(800, 600), help="WIDTHxHEIGHT in pixels")
    plot.set_defaults(run=cmd_plot)
    shell = verbs.add_parser("shell", help="run the command language on a database")
    shell.add_argument("db")
    shell.add_argument("-c", "--command", action="append",
                       help="a command line to run instead of reading lines (repeatable)")
    shell.set_defaults(run=cmd_shell)
    return parser


def main(argv=None, out=None):
    out = out or sys.stdout
    try:
        args = build_parser().parse_args(argv)
        args.run(args, out)
    except UsageError as error:
        return _fail("%s (see rqx --help)" % error, 2)
    except ShellFailed:
        return 1
    except (errors.Error, OSError, ValueError, TypeError, ImportError) as error:
        return _fail(str(error), 1)
    except KeyboardInterrupt:
        return _fail("interrupted", 130)
    except BrokenPipeError:
        return 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
