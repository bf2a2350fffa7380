"""Quick start: a session with the embedded crqx engine.

Every library function takes its outputs as cells: one-element lists whose
element 0 the call replaces. Classic functions (qzv...) put their status in
the first cell; HSUCC (0) means success.
"""
import pyrqx


def check(status, what):
    """Raise with the library's own error text when a call did not succeed."""
    if status[0] != pyrqx.HSUCC:
        text = [" " * 256]
        pyrqx.qzvferr([0], text)
        raise RuntimeError("%s failed with status %d: %s" % (what, status[0], text[0].strip()))


def main():
    status = [0]
    pyrqx.qzvini(status)
    check(status, "qzvini")

    version = [0.0]
    pyrqx.qzvver(status, version)
    check(status, "qzvver")
    print("crqx engine, interface version %.1f" % version[0])

    # Options tune the engine for this session.
    pyrqx.qzvsopt(status, ["BUSY_TIMEOUT"], ["5000"])
    check(status, "qzvsopt")

    # A failing call reports a status and keeps an error text.
    pyrqx.qzvsopt(status, ["NO_SUCH_OPTION"], ["1"])
    length = [0]
    pyrqx.qzvlerr([0], length)
    text = [" " * length[0]]
    pyrqx.qzvferr([0], text)
    print("an unknown option gives status %d (HBOPT is %d): %s" % (status[0], pyrqx.HBOPT, text[0]))

    print("missing values: numeric ND is %r, string NA is %r" % (pyrqx.FNUMND(), pyrqx.FSTRNA()))

    pyrqx.qzvfin(status)
    check(status, "qzvfin")
    print("session ended")


if __name__ == "__main__":
    main()
