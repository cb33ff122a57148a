"""A second, deliberately plain reading of the archive format and of the LZH
and LH5 methods, kept apart from the C++ code so that the two can be checked
against each other. Speed does not matter here; every step is written out as
the format defines it, with no shortcuts.

The module decodes stored data (lzh_decode, lh5_decode), reads and writes
archives (read_archive, write_archive), and writes LZH symbols and bit fields
for hand-built streams (LzhStreamBuilder, BitWriter). Window positions that
no stream from a correct compressor reads before writing them are left
unset, and reading one raises Unwritten.
"""

import struct


class BadTable(Exception):
    """An LH5 code table that no compressor can have written."""


class Unwritten(Exception):
    """A stream that reads a window position before anything was put there."""


# ---------------------------------------------------------------- byte layer

class ByteInput:
    """The entry's stored data; past their end every byte reads as ended."""

    def __init__(self, data):
        self.data = data
        self.pos = 0

    def read(self):
        if self.pos >= len(self.data):
            return 0, True
        b = self.data[self.pos]
        self.pos += 1
        return b, False


# ---------------------------------------------------------------------- LZH

LZH_SYMBOLS = 314
LZH_NODES = 627
LZH_ROOT = 626
LZH_LIMIT = 0x8000


def _lzh_position_tables():
    lengths = [3] + [4] * 3 + [5] * 8 + [6] * 12 + [7] * 24 + [8] * 16
    upper = [None] * 256
    length = [None] * 256
    code = 0
    for u, bits in enumerate(lengths):
        if u > 0:
            code = (code + 1) << (bits - lengths[u - 1])
        first = code << (8 - bits)
        for i in range(first, first + (1 << (8 - bits))):
            upper[i] = u
            length[i] = bits
    assert None not in upper
    return upper, length


LZH_UPPER, LZH_LENGTH = _lzh_position_tables()
LZH_CODE_STARTS = {0: 0x00, 1: 0x20, 4: 0x50, 12: 0x90, 24: 0xC0, 48: 0xF0}


class LzhTree:
    def __init__(self):
        self.freq = [0] * (LZH_NODES + 1)
        self.son = [0] * LZH_NODES
        self.prnt = [0] * (LZH_NODES + LZH_SYMBOLS)
        for s in range(LZH_SYMBOLS):
            self.freq[s] = 1
            self.son[s] = s + LZH_NODES
            self.prnt[s + LZH_NODES] = s
        i = 0
        for j in range(LZH_SYMBOLS, LZH_NODES):
            self.freq[j] = self.freq[i] + self.freq[i + 1]
            self.son[j] = i
            self.prnt[i] = self.prnt[i + 1] = j
            i += 2
        self.freq[LZH_NODES] = 0xFFFF
        self.prnt[LZH_ROOT] = 0
        self.rebuilds = 0

    def rebuild(self):
        self.rebuilds += 1
        freq, son, prnt = self.freq, self.son, self.prnt
        j = 0
        for i in range(LZH_NODES):
            if son[i] >= LZH_NODES:
                freq[j] = (freq[i] + 1) // 2
                son[j] = son[i]
                j += 1
        i = 0
        for j in range(LZH_SYMBOLS, LZH_NODES):
            f = freq[i] + freq[i + 1]
            k = j - 1
            while f < freq[k]:
                k -= 1
            k += 1
            freq[k + 1:j + 1] = freq[k:j]
            son[k + 1:j + 1] = son[k:j]
            freq[k] = f
            son[k] = i
            i += 2
        for i in range(LZH_NODES):
            k = son[i]
            if k >= LZH_NODES:
                prnt[k] = i
            else:
                prnt[k] = prnt[k + 1] = i

    def update(self, symbol):
        freq, son, prnt = self.freq, self.son, self.prnt
        if freq[LZH_ROOT] == LZH_LIMIT:
            self.rebuild()
        c = prnt[symbol + LZH_NODES]
        while True:
            freq[c] += 1
            k = freq[c]
            if k > freq[c + 1]:
                l = c + 1
                while k > freq[l + 1]:
                    l += 1
                freq[c] = freq[l]
                freq[l] = k
                i = son[c]
                prnt[i] = l
                if i < LZH_NODES:
                    prnt[i + 1] = l
                j = son[l]
                son[l] = i
                prnt[j] = c
                if j < LZH_NODES:
                    prnt[j + 1] = c
                son[c] = j
                c = l
            c = prnt[c]
            if c == 0:
                break

    def path(self, symbol):
        """The bits that lead from the root to `symbol`, root first."""
        bits = []
        node = self.prnt[symbol + LZH_NODES]
        while node != LZH_ROOT:
            parent = self.prnt[node]
            bits.append(node - self.son[parent])
            node = parent
        return bits[::-1]


def lzh_decode(stored, count):
    """Expands `count` bytes (a last match may go past it); returns the bytes
    and the number of tree rebuilds."""
    if count == 0:
        return b"", 0
    src = ByteInput(stored)
    tree = LzhTree()
    state = {"buf": 0, "cnt": 0}

    def bits(n):
        if state["cnt"] <= 8:
            b, ended = src.read()
            if ended:
                b = 0
            state["buf"] |= b << (8 - state["cnt"])
            state["cnt"] += 8
        result = state["buf"] >> (16 - n)
        state["buf"] = (state["buf"] << n) & 0xFFFF
        state["cnt"] -= n
        return result

    window = [0x20] * 4036 + [None] * 60
    r = 4036
    out = bytearray()
    while len(out) < count:
        node = tree.son[LZH_ROOT]
        while node < LZH_NODES:
            node = tree.son[node + bits(1)]
        c = node - LZH_NODES
        tree.update(c)
        if c < 256:
            out.append(c)
            window[r] = c
            r = (r + 1) % 4096
            continue
        i = bits(8)
        length = LZH_LENGTH[i]
        m = bits(length - 2)
        p = LZH_UPPER[i] * 64 + (((i << (length - 2)) | m) & 0x3F)
        src_pos = (r - p - 1) % 4096
        for k in range(c - 253):
            b = window[(src_pos + k) % 4096]
            if b is None:
                raise Unwritten("LZH window position %d" % ((src_pos + k) % 4096))
            out.append(b)
            window[r] = b
            r = (r + 1) % 4096
    return bytes(out), tree.rebuilds


class BitWriter:
    """Fields most significant bit first; the last byte padded with 0 bits."""

    def __init__(self):
        self.bits = []

    def put(self, value, n):
        for k in range(n - 1, -1, -1):
            self.bits.append((value >> k) & 1)
        return self

    def finish(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


class LzhStreamBuilder:
    """Codes LZH symbols and positions with the tree as it stands before each
    symbol, the way any compressor must."""

    def __init__(self):
        self.tree = LzhTree()
        self.out = BitWriter()

    def symbol(self, s):
        for bit in self.tree.path(s):
            self.out.put(bit, 1)
        self.tree.update(s)
        return self

    def position(self, p):
        u = p >> 6
        i = LZH_UPPER.index(u)
        length = LZH_LENGTH[i]
        self.out.put(i >> (8 - length), length)
        self.out.put(p & 0x3F, 6)
        return self

    def finish(self):
        return self.out.finish()


# ---------------------------------------------------------------------- LH5

LH5_SYMBOLS = 510
LH5_DISTANCES = 14
LH5_CODE_LENGTHS = 19


class Lh5Bits:
    """A 16-bit window on the bit stream; bits past the data are 0."""

    def __init__(self, data):
        self.data = data
        self.pos = 0

    @property
    def buf(self):
        byte = self.pos >> 3
        chunk = int.from_bytes(self.data[byte:byte + 3].ljust(3, b"\0"), "big")
        return (chunk >> (8 - (self.pos & 7))) & 0xFFFF

    def advance(self, n):
        assert 0 <= n <= 16
        self.pos += n

    def take(self, n):
        value = self.buf >> (16 - n) if n else 0
        self.advance(n)
        return value


class Lh5Table:
    def __init__(self, size, width, lengths, table, left, right):
        self.size = size
        self.width = width
        self.lengths = lengths
        self.table = table
        self.left = left
        self.right = right


def lh5_make_table(size, lengths, width, left, right):
    count = [0] * 17
    for length in lengths:
        if length > 16:
            raise BadTable("code length above 16")
        count[length] += 1
    start = [0] * 18
    running = 0
    for length in range(1, 17):
        start[length] = running
        running = (running + count[length] * (1 << (16 - length))) & 0xFFFF
    if running != 0:
        raise BadTable("code lengths do not fill the code space")
    if sum(count[length] << (16 - length) for length in range(1, 17)) not in (0, 0x10000):
        raise BadTable("code space filled more than once")
    if all(length == 0 for length in lengths):
        # Left open by the format; no compressor sends it.
        return Lh5Table(size, width, lengths, None, left, right)
    table = [None] * (1 << width)
    weight = [0] * 17
    for length in range(1, width + 1):
        start[length] >>= 16 - width
        weight[length] = 1 << (width - length)
    for length in range(width + 1, 17):
        weight[length] = 1 << (16 - length)
    i = start[width + 1] >> (16 - width)
    if i != 0:
        for k in range(i, 1 << width):
            table[k] = 0
    avail = size
    for s in range(size):
        length = lengths[s]
        if length == 0:
            continue
        nxt = start[length] + weight[length]
        if length <= width:
            for k in range(start[length], nxt):
                table[k] = s
        else:
            k = start[length]
            holder, key = table, k >> (16 - width)
            for b in range(16 - width - 1, 16 - length - 1, -1):
                if holder[key] == 0:
                    holder[key] = avail
                    left[avail] = right[avail] = 0
                    avail += 1
                node = holder[key]
                holder, key = (right, node) if (k >> b) & 1 else (left, node)
            holder[key] = s
        start[length] = nxt
    return Lh5Table(size, width, lengths, table, left, right)


def lh5_single(size, width, symbol):
    if symbol >= size:
        raise BadTable("single symbol outside its alphabet")
    return Lh5Table(size, width, [0] * size, [symbol] * (1 << width), None, None)


def lh5_decode(stored, count):
    """Expands `count` bytes (a last match may go past it); returns the bytes
    and the number of blocks."""
    if count == 0:
        return b"", 0
    bits = Lh5Bits(stored)
    left = [0] * (2 * LH5_SYMBOLS)
    right = [0] * (2 * LH5_SYMBOLS)

    def read_short(n, field, special):
        m = bits.take(field)
        if m == 0:
            return lh5_single(n, 8, bits.take(field))
        lengths = []
        while len(lengths) < m:
            c = bits.buf >> 13
            if c == 7:
                mask = 1 << 12
                while bits.buf & mask:
                    mask >>= 1
                    c += 1
                if c > 16:
                    raise BadTable("short code length above 16")
            bits.advance(3 if c < 7 else c - 3)
            lengths.append(c)
            if len(lengths) == special:
                lengths += [0] * bits.take(2)
        if len(lengths) > n:
            raise BadTable("more short code lengths than the alphabet has")
        lengths += [0] * (n - len(lengths))
        return lh5_make_table(n, lengths, 8, left, right)

    def walk(t, j, top_bit):
        bit = top_bit
        while j >= t.size:
            j = t.right[j] if bits.buf & (1 << bit) else t.left[j]
            bit -= 1
        return j

    def lookup(t, index):
        if t.table is None:
            raise BadTable("a table without codes is used")
        return t.table[index]

    def decode(t):
        """A symbol or distance class: past the lookup width, the walk
        continues from the top of the advanced buffer."""
        j = lookup(t, bits.buf >> (16 - t.width))
        if j < t.size:
            bits.advance(t.lengths[j])
        else:
            bits.advance(t.width)
            j = walk(t, j, 15)
            bits.advance(t.lengths[j] - t.width)
        return j

    def read_symbol_lengths(pt):
        m = bits.take(9)
        if m == 0:
            return lh5_single(LH5_SYMBOLS, 12, bits.take(9))
        lengths = []
        while len(lengths) < m:
            c = lookup(pt, bits.buf >> 8)
            c = walk(pt, c, 7)
            bits.advance(pt.lengths[c])
            if c == 0:
                lengths.append(0)
            elif c == 1:
                lengths += [0] * (bits.take(4) + 3)
            elif c == 2:
                lengths += [0] * (bits.take(9) + 20)
            else:
                lengths.append(c - 2)
        if len(lengths) > LH5_SYMBOLS:
            raise BadTable("more symbol code lengths than the alphabet has")
        lengths += [0] * (LH5_SYMBOLS - len(lengths))
        return lh5_make_table(LH5_SYMBOLS, lengths, 12, left, right)

    window = [0x20] * 8192
    r = 0
    out = bytearray()
    left_in_block = 0
    blocks = 0
    st = pt = None
    while len(out) < count:
        if left_in_block == 0:
            left_in_block = bits.take(16)
            pt = read_short(LH5_CODE_LENGTHS, 5, 3)
            st = read_symbol_lengths(pt)
            pt = read_short(LH5_DISTANCES, 4, None)
            blocks += 1
        left_in_block = (left_in_block - 1) & 0xFFFF
        j = decode(st)
        if j <= 255:
            window[r] = j
            out.append(j)
            r = (r + 1) % 8192
            continue
        length = j - 253
        d = decode(pt)
        distance = 0 if d == 0 else (1 << (d - 1)) + bits.take(d - 1)
        i = (r - distance - 1) % 8192
        for k in range(length):
            window[r] = window[(i + k) % 8192]
            out.append(window[r])
            r = (r + 1) % 8192
    return bytes(out), blocks


# ------------------------------------------------------------------ archive

ARCHIVE_MAGIC = b"QVPK\x1a"
ARCHIVE_HEADER = struct.Struct("<5s3siB4si")
ENTRY_HEADER = struct.Struct("<hIhiiBii")
assert ARCHIVE_HEADER.size == 21 and ENTRY_HEADER.size == 25


def checksum(data):
    return sum(data) & 0xFFFFFFFF


def read_archive(data):
    """The header fields and the entries, each a dict with its header
    fields, name and stored data."""
    magic, method_id, total, kind, _reserved, lock = ARCHIVE_HEADER.unpack_from(data, 0)
    header = {"magic": magic, "method": method_id.decode("latin-1"), "total": total,
              "type": kind, "lock": lock}
    entries = []
    pos = ARCHIVE_HEADER.size
    while pos + ENTRY_HEADER.size <= len(data):
        fields = ENTRY_HEADER.unpack_from(data, pos)
        entry = dict(zip(("name_length", "time", "attributes", "expanded", "stored_size",
                          "method", "checksum", "lock"), fields))
        pos += ENTRY_HEADER.size
        entry["name"] = data[pos:pos + entry["name_length"]].decode("latin-1")
        pos += entry["name_length"]
        entry["stored"] = data[pos:pos + entry["stored_size"]]
        pos += entry["stored_size"]
        entries.append(entry)
    return header, entries


def write_archive(method_id, entries):
    """entries: (name, method, expanded size, checksum, stored data)."""
    total = sum(e[2] for e in entries)
    out = bytearray(ARCHIVE_HEADER.pack(ARCHIVE_MAGIC, method_id.encode(), total, 1, b"\0" * 4, 0))
    for name, method, expanded, check, stored in entries:
        raw = name.encode("latin-1")
        out += ENTRY_HEADER.pack(len(raw), 0, 0, expanded, len(stored), method,
                                 struct.unpack("<i", struct.pack("<I", check))[0], 0)
        out += raw + stored
    return bytes(out)

