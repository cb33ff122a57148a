#!/usr/bin/env python3
"""Checks the program's LZH and LH5 decoders and its archive layout against
the plain reference in reference_decoder.py.

Usage: reference_check.py QVTOOL

1. Archives written by `qvtool pack` (LZH and LH5, inputs large enough for
   LZH tree rebuilds and several LH5 blocks) are read field by field and
   decoded by the reference; `qvtool expand` must give the same bytes.
2. Hand-built streams for the decoders' special cases are decoded by both.
3. Damaged LH5 tables must be refused by both.

Exit status 0 when everything agrees; every disagreement is printed.
"""

import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_decoder as ref  # noqa: E402

FAILURES = []


def check(condition, message):
    if not condition:
        FAILURES.append(message)
        print("FAIL:", message)


def expand_with_program(qvtool, archive_bytes, name, folder):
    """Runs `qvtool expand`; returns (exit code, expanded bytes or None,
    stderr)."""
    archive = os.path.join(folder, "check.qv")
    with open(archive, "wb") as f:
        f.write(archive_bytes)
    target = os.path.join(folder, "out")
    done = subprocess.run([qvtool, "expand", archive, name, target], capture_output=True)
    path = os.path.join(target, name)
    data = None
    if done.returncode == 0 and os.path.exists(path):
        with open(path, "rb") as f:
            data = f.read()
        os.remove(path)
    return done.returncode, data, done.stderr.decode(errors="replace")


def sample_inputs(method_id):
    rng = random.Random(4)
    words = ["Senator", "House", "the", "of", "district", "Washington", "Dear", "vote",
             "committee", "leader", "minister", "mail", "state", "1999", "\r\n"]
    text = " ".join(rng.choice(words) for _ in range(9000)).encode()
    runs = b"".join(bytes([rng.randrange(256)]) * rng.randrange(1, 300) for _ in range(300))
    # Mostly literals, one symbol per byte: 120000 LZH symbols cross five tree
    # rebuilds, and more than 65536 LH5 symbols need a second block.
    size = 120000
    return {
        "text.dat": text,
        "random.bin": bytes(rng.randrange(256) for _ in range(size)),
        "runs.bin": runs,
        "empty.dat": b"",
        "one.dat": b"\x94",
    }


def check_packed_archives(qvtool, folder):
    for method_id, method in (("LZH", 2), ("LH5", 4)):
        inputs = sample_inputs(method_id)
        paths = []
        for name, data in inputs.items():
            path = os.path.join(folder, name)
            with open(path, "wb") as f:
                f.write(data)
            paths.append(path)
        archive = os.path.join(folder, method_id + ".qv")
        done = subprocess.run([qvtool, "pack", "--method", method_id, archive] + paths,
                              capture_output=True)
        check(done.returncode == 0, "pack %s: %s" % (method_id, done.stderr))
        with open(archive, "rb") as f:
            archive_bytes = f.read()
        header, entries = ref.read_archive(archive_bytes)
        check(header["magic"] == ref.ARCHIVE_MAGIC and header["method"] == method_id
              and header["type"] == 1 and header["lock"] == 0,
              "%s archive header %r" % (method_id, header))
        check(header["total"] == sum(len(d) for d in inputs.values()),
              "%s archive total %d" % (method_id, header["total"]))
        check(sorted(e["name"] for e in entries) == sorted(inputs),
              "%s entry names %r" % (method_id, [e["name"] for e in entries]))
        for entry in entries:
            name = entry["name"]
            original = inputs.get(name, b"")
            check(entry["method"] == method and entry["expanded"] == len(original)
                  and entry["lock"] == 0 and entry["checksum"] == ref.checksum(original),
                  "%s %s entry header %r" % (method_id, name,
                                             {k: v for k, v in entry.items() if k != "stored"}))
            stored = entry["stored"]
            if method == 2:
                data, rebuilds = ref.lzh_decode(stored, len(original))
                if name == "random.bin":
                    check(rebuilds >= 5, "LZH random.bin: only %d tree rebuilds" % rebuilds)
            else:
                data, blocks = ref.lh5_decode(stored, len(original))
                if name == "random.bin":
                    check(blocks >= 2, "LH5 random.bin: only %d blocks" % blocks)
            check(data[:len(original)] == original,
                  "%s %s: the reference does not restore the input" % (method_id, name))
            code, program, err = expand_with_program(qvtool, archive_bytes, name, folder)
            check(code == 0 and program == original,
                  "%s %s: qvtool expand gives %s (%s)" % (
                      method_id, name, "other bytes" if code == 0 else "exit %d" % code, err))


def hand_built_lzh():
    """(what, stored data, byte count, expected output)."""
    cases = []
    b = ref.LzhStreamBuilder().symbol(313).position(5)
    cases.append(("LZH longest match reads the window's spaces", b.finish(), 60, b" " * 60))
    b = ref.LzhStreamBuilder().symbol(ord("A")).symbol(256).position(0)
    cases.append(("LZH shortest match at position 0", b.finish(), 4, b"AAAA"))
    b = ref.LzhStreamBuilder().symbol(ord("Q"))
    cases.append(("LZH stored data ending early", b.finish(), 5, None))
    # Every position code length, with far positions into the written data.
    b = ref.LzhStreamBuilder()
    data = bytearray()
    for k in range(4096):
        b.symbol(k * 7 % 256)
        data.append(k * 7 % 256)
    for p in (0, 63, 64, 255, 256, 767, 768, 1535, 1536, 3071, 3072, 4095):
        b.symbol(256).position(p)
        src = len(data) - p - 1
        for k in range(3):
            data.append(data[src + k])
    cases.append(("LZH positions of every code length", b.finish(), len(data), bytes(data)))
    return cases


def lh5_single_block(w, symbols, symbol):
    w.put(symbols, 16)
    w.put(0, 5).put(0, 5)
    w.put(0, 9).put(symbol, 9)
    w.put(0, 4).put(0, 4)


def hand_built_lh5():
    cases = []
    w = ref.BitWriter()
    lh5_single_block(w, 5, ord("A"))
    cases.append(("LH5 single symbol of no bits", w.finish(), 5, b"AAAAA"))
    w = ref.BitWriter()
    lh5_single_block(w, 1, 509)
    cases.append(("LH5 longest match at distance 0 at the start", w.finish(), 256, b" " * 256))
    w = ref.BitWriter()
    lh5_single_block(w, 0, ord("a"))
    lh5_single_block(w, 1, ord("b"))
    cases.append(("LH5 block count 0 holds 65536 symbols", w.finish(), 65537,
                  b"a" * 65536 + b"b"))
    # Symbols 'A' and 509 of one bit each; distances: class 0 only.
    w = ref.BitWriter()
    w.put(3, 16)
    w.put(4, 5).put(0, 3).put(0, 3).put(1, 3).put(0, 2).put(1, 3)
    w.put(510, 9)
    w.put(0, 1).put(65 - 20, 9).put(1, 1)
    w.put(0, 1).put(443 - 20, 9).put(1, 1)
    w.put(0, 4).put(0, 4)
    w.put(1, 1).put(0, 1).put(1, 1)
    cases.append(("LH5 match of 256 at distance 0 repeats the last byte", w.finish(), 513,
                  b" " * 256 + b"A" * 257))
    # Distance classes with codes longer than the 8-bit lookup: 14 classes,
    # lengths 1, 2, ..., 12, 13, 13 (a complete set).
    w = ref.BitWriter()
    w.put(16, 16)  # 'A', fourteen matches, 'A'
    w.put(4, 5).put(0, 3).put(0, 3).put(1, 3).put(0, 2).put(1, 3)  # code-length code
    w.put(258, 9)  # symbol lengths: 'A' (1 bit) and 257, a match of 4 (1 bit)
    w.put(0, 1).put(65 - 20, 9).put(1, 1)
    w.put(0, 1).put(191 - 20, 9).put(1, 1)
    lengths = list(range(1, 14)) + [13]
    w.put(14, 4)
    for c in lengths:
        if c < 7:
            w.put(c, 3)
        else:
            w.put(7, 3).put(((1 << (c - 7)) - 1) << 1, c - 6)
    w.put(0, 1)  # 'A'
    starts = {}
    code = 0
    for j, length in enumerate(lengths):
        if j:
            code = (code + 1) << (length - lengths[j - 1])
        starts[j] = (code, length)
    expected = bytearray(b"A")
    for j in range(14):
        w.put(1, 1)  # a match of 4
        code, length = starts[j]
        w.put(code, length)
        distance = 0
        if j > 1:
            extra = (1 << (j - 1)) - 1
            w.put(extra, j - 1)
            distance = (1 << (j - 1)) + extra
        elif j == 1:
            distance = 1
        src = len(expected) - distance - 1
        for k in range(4):
            expected.append(expected[src + k] if src + k >= 0 else 0x20)
    w.put(0, 1)
    expected.append(ord("A"))
    cases.append(("LH5 distance codes longer than the lookup width", w.finish(),
                  len(expected), bytes(expected)))
    return cases


DAMAGED_LH5 = [
    ("too many code lengths", "00 01 A0"),
    ("single code-length symbol outside the alphabet", "00 01 04 C0"),
    ("short code length above 16", "00 01 0F FF C0"),
    ("short code length run past the buffer", "00 01 0F FF F8"),
    ("incomplete code set", "00 01 09"),
    ("over-full code set", "00 01 19 24"),
    ("code space filled twice", "00 01 21 24 20"),
    ("too many symbol lengths", "00 01 11 3F F0"),
    ("single symbol outside the alphabet", "00 01 00 00 1F E0"),
    ("zero run past the table", "00 01 18 24 FF 7F E0"),
    ("too many distance lengths", "00 01 00 00 04 1F"),
    ("single distance class outside the alphabet", "00 01 00 00 04 10 E0"),
]


def check_hand_built(qvtool, folder):
    for what, stored, count, expected in hand_built_lzh() + hand_built_lh5():
        method = 2 if what.startswith("LZH") else 4
        decode = ref.lzh_decode if method == 2 else ref.lh5_decode
        data = decode(stored, count)[0]
        if expected is not None:
            check(data == expected, "%s: the reference gives %r" % (what, data[:80]))
        archive = ref.write_archive("LH5", [("hand.bin", method, count, ref.checksum(data),
                                             stored)])
        code, program, err = expand_with_program(qvtool, archive, "hand.bin", folder)
        check(code == 0 and program == data,
              "%s: qvtool expand gives %s (%s)" % (
                  what, "other bytes" if code == 0 else "exit %d" % code, err.strip()))


def check_damaged(qvtool, folder):
    for what, hex_bytes in DAMAGED_LH5:
        stored = bytes.fromhex(hex_bytes)
        try:
            ref.lh5_decode(stored, 10)
            check(False, "%s: the reference accepts it" % what)
        except ref.BadTable:
            pass
        archive = ref.write_archive("LH5", [("bad.bin", 4, 10, 0, stored)])
        code, _, err = expand_with_program(qvtool, archive, "bad.bin", folder)
        check(code == 1 and err == "ELZHBadDecodeTable: Bad decode table in archive!\n",
              "%s: qvtool expand exits %d with %r" % (what, code, err))


def check_reference_itself():
    for u, first in ref.LZH_CODE_STARTS.items():
        check(ref.LZH_UPPER.index(u) == first, "LZH position code of %d" % u)
    check(ref.LZH_UPPER[0xFF] == 63 and ref.LZH_LENGTH[0xFF] == 8, "LZH position code of 63")
    check(ref.LzhTree().freq[ref.LZH_ROOT] == 314, "LZH root frequency")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    qvtool = sys.argv[1]
    check_reference_itself()
    with tempfile.TemporaryDirectory() as folder:
        check_packed_archives(qvtool, folder)
        check_hand_built(qvtool, folder)
        check_damaged(qvtool, folder)
    if FAILURES:
        print("%d disagreements" % len(FAILURES))
        return 1
    print("reference and program agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
