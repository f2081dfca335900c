#!/usr/bin/env python3
"""Makes the save-file corpus: one save of every version 1 to 10, the script
they were taken from, what each one holds (JSON), and a set of broken files.

Written from the file format alone (magic, stream list, LZSS-coded state,
the state fields and their version gates, PNG/JPEG/bitmap screens) with the
Python standard library, so that it shares no code with the engine's reader.
Run it from anywhere; it rewrites the files beside itself."""

import json
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def sj(text):
    return text.encode("cp932")


# ---------------------------------------------------------------- CRC-32
def crc32_plain(data, crc=0):
    """The reflected CRC-32 table run with no inversion at either end."""
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
        table.append(c)
    for b in data:
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8)
    return crc


# ---------------------------------------------------------------- LZSS
class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def bit(self, b):
        self.acc = (self.acc << 1) | (1 if b else 0)
        self.n += 1
        if self.n == 8:
            self.out.append(self.acc)
            self.acc = 0
            self.n = 0

    def bits(self, value, count):
        for i in range(count - 1, -1, -1):
            self.bit((value >> i) & 1)

    def done(self):
        if self.n:
            self.out.append(self.acc << (8 - self.n))
        return bytes(self.out)


def lzss(data):
    """4096-byte blocks; a match names an absolute position of its block and
    never reaches the bytes it codes. Any such choice decodes the same."""
    w = BitWriter()
    for start in range(0, len(data), 4096):
        block = data[start:start + 4096]
        seen = {}
        p = 0
        while p < len(block):
            best, best_pos = 0, 0
            key = block[p:p + 3]
            for j in reversed(seen.get(key, [])[-32:]):
                length = 0
                while (length < 66 and p + length < len(block) and j + length < p
                       and block[j + length] == block[p + length]):
                    length += 1
                if length > best:
                    best, best_pos = length, j
            if best >= 3:
                w.bit(1)
                w.bits(best - 3, 6)
                w.bits(best_pos, 12)
                step = best
            else:
                w.bit(0)
                w.bits(block[p], 8)
                step = 1
            for q in range(p, p + step):
                seen.setdefault(block[q:q + 3], []).append(q)
            p += step
    return struct.pack("<i", len(data)) + w.done()


# ---------------------------------------------------------------- pictures
def png_rgb(rows):
    """rows of (r, g, b): an 8-bit RGB PNG, no filter."""
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bmp24(rows):
    """A Windows bitmap file, 24 bits, rows bottom-up padded to 4 bytes."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def bitmap32_data(rows):
    """Width, height, then B, G, R, A pixels top-down; rows of (a, r, g, b)."""
    h, w = len(rows), len(rows[0])
    return struct.pack("<ii", w, h) + b"".join(bytes((b, g, r, a)) for row in rows for a, r, g, b in row)


def jpeg_grey(levels):
    """A baseline greyscale JPEG of 8x8 blocks side by side, each one flat
    level, quantised by 1 so that the decoder gives the levels back exactly."""
    w = BitWriter()
    prev = 0
    for level in levels:
        dc = 8 * (level - 128)
        diff = dc - prev  # DC values are coded as the change from the last block
        size = abs(diff).bit_length()
        w.bits(size, 4)  # DC codes: every category is its own 4-bit code
        if size:
            w.bits(diff if diff >= 0 else diff + (1 << size) - 1, size)
        w.bit(0)  # the one AC code: end of block
        prev = dc
    while w.n:
        w.bit(1)
    scan = bytearray()
    for b in w.done():
        scan.append(b)
        if b == 0xFF:
            scan.append(0)

    def seg(marker, data):
        return struct.pack(">BBH", 0xFF, marker, len(data) + 2) + data

    dc = bytes([0, 0, 0, 12] + [0] * 12) + bytes(range(12))
    ac = bytes([1] + [0] * 15) + b"\0"
    return (b"\xFF\xD8" + seg(0xDB, b"\0" + b"\1" * 64)
            + seg(0xC0, struct.pack(">BHHB", 8, 8, 8 * len(levels), 1) + b"\1\x11\0")
            + seg(0xC4, b"\x00" + dc) + seg(0xC4, b"\x10" + ac)
            + seg(0xDA, b"\1\1\0\0\x3F\0") + bytes(scan) + b"\xFF\xD9")


def argb(a, r, g, b):
    return (a << 24) | (r << 16) | (g << 8) | b


# ---------------------------------------------------------------- the game
SCRIPT = [
    "*SCENE start",
    "Welcome.",
    "*SCENE town",
    "The town square.",
    "*LABEL well",
    "A deep well.",
    "*SCENE bgloop",
    "*WAIT 3",
    "*BGRETURN",
]


def labels():
    table = {}
    scene = 0
    for i, line in enumerate(SCRIPT):
        words = line.split()
        if words and words[0] in ("*SCENE", "*LABEL"):
            if words[0] == "*SCENE":
                scene = i + 1
            table[words[1]] = [i + 1, scene]
    return table


SCREEN_ROWS = [[((x * 40) & 255, (y * 50) & 255, (x * y * 9) & 255) for x in range(8)] for y in range(6)]
# Buffer 3 is transparent: its opaque blue pixels are its clear ones.
BUFFER3_ROWS = [[(0, 0, 255) if (x + y) % 3 == 0 else (x * 60, 10, 254) for x in range(4)] for y in range(4)]
BUFFER32_ROWS = [[(0, 0, 255), (1, 2, 3), (200, 100, 50)]]


def rgb_pixels(rows, keyed=False):
    out = []
    for row in rows:
        line = []
        for r, g, b in row:
            line.append(0 if keyed and (r, g, b) == (0, 0, 255) else argb(255, r, g, b))
        out.append(line)
    return out


class State:
    def __init__(self):
        self.data = bytearray()
        self.bounds = []
        self.marks = {}

    def field(self, name=None):
        self.bounds.append(len(self.data))
        if name:
            self.marks[name] = len(self.data)

    def i32(self, v):
        self.data += struct.pack("<i", v)

    def u16(self, v):
        self.data += struct.pack("<H", v)

    def u8(self, v):
        self.data += struct.pack("<B", v)

    def string(self, s):
        self.i32(len(s))
        self.data += s


def game(version):
    """What the save of this version holds, as the JSON expects it."""
    g = {
        "version": version,
        "checksum": crc32_plain(b"".join(line.encode() + b"\r\n" for line in SCRIPT)),
        "scene": "gone" if version == 5 else "town",
        # Booleans are nonzero: version 3 stores 2 and 7.
        "music_raw": [[1, 1], [1, 0], [2, 7]][version - 1] if version <= 3 else [1, 1],
        "music_name": {1: "theme.mid", 2: "jingle.mid", 3: "field.ogg"}.get(version, "theme.mid"),
        "flags": {"0": version, "5": -123456, "8192": 77, "16383": version * 1000},
        "flag_names": {"8192": "ＨＰ", "16383": "last"} if version >= 10 else {},
        "items": [version, 2, 3, 4, 5],
        "stack": {1: [[1, 2]], 8: [[10, 20], [30, 40]]}.get(version, []) if version <= 8 else [],
        "strings": {"0": "v%d" % version, "600": "名前", "1023": "last"} if version >= 2 else {},
        "string_names": {"600": "なまえ"} if version >= 10 else {},
        "keywords": ["鍵", "door"] if version >= 3 else [],
        "background": None,
        "buffers": [],
        "colors": [i * 0x010203 for i in range(16)] if version >= 7 else None,
        "macros": [[112, "#POP"], [0x8041, "look\\n"]] if version >= 8 else None,
    }
    if version >= 6:
        g["background"] = {6: ["bgloop", 1, 1500], 7: ["", 0, 1000], 9: ["nolabel", 1, 2000]}.get(
            version, ["bgloop", 1, 1200])
        g["buffers"] = [[3, 1], [32, 0]]
        if version == 6:
            g["buffers"] = [[0, 0], [3, 1], [32, 0]]  # buffer 0 has a 0-byte stream
    return g


def state_stream(g):
    v = g["version"]
    s = State()
    s.field(); s.i32(v)
    s.field(); s.data += struct.pack("<I", g["checksum"])
    s.field("scene"); s.string(sj(g["scene"]))
    s.field(); s.i32(g["music_raw"][0])
    s.field(); s.i32(g["music_raw"][1])
    s.field(); s.string(sj(g["music_name"]))
    s.field("flags"); s.i32(16384)
    s.field()
    for i in range(16384):
        s.i32(g["flags"].get(str(i), 0))
    if v >= 10:
        s.field()
        for i in range(16384):
            s.string(sj(g["flag_names"].get(str(i), "")))
    s.field("items"); s.i32(len(g["items"]))
    s.field()
    for c in g["items"]:
        s.i32(c)
    if v <= 8:
        s.field(); s.i32(len(g["stack"]))
        for scene_line, return_line in g["stack"]:
            s.field(); s.i32(scene_line); s.i32(return_line)
    if v >= 2:
        s.field("strings"); s.i32(1024)
        s.field()
        for i in range(1024):
            s.string(sj(g["strings"].get(str(i), "")))
        if v >= 10:
            s.field()
            for i in range(1024):
                s.string(sj(g["string_names"].get(str(i), "")))
    if v >= 3:
        s.field("keywords"); s.i32(len(g["keywords"]))
        for k in g["keywords"]:
            s.field(); s.string(sj(k))
    if v >= 6:
        label, running, interval = g["background"]
        s.field(); s.u8(running)
        s.field(); s.string(sj(label))
        s.field(); s.i32(interval)
        s.field("pairs"); s.i32(len(g["buffers"]))
        for number, transparent in g["buffers"]:
            s.field(); s.i32(number); s.i32(transparent)
    if v >= 7:
        s.field()
        for c in g["colors"]:
            s.i32(c)
    if v >= 8:
        s.field("macros"); s.i32(len(g["macros"]))
        for key, text in g["macros"]:
            s.field(); s.u16(key); s.string(sj(text))
    s.field()
    return s


def screen(version):
    """Stream 0 and the pixels a load must show."""
    if version >= 5:
        return png_rgb(SCREEN_ROWS), rgb_pixels(SCREEN_ROWS)
    if version == 4:
        levels = [40, 200]
        pixels = [[argb(255, lv, lv, lv) for lv in levels for _ in range(8)] for _ in range(8)]
        return jpeg_grey(levels), pixels
    if version == 1:
        rows = [[(0x80 + x, 10 * x, 20 * y, 30) for x in range(4)] for y in range(3)]
        return lzss(bitmap32_data(rows)), [[argb(*px) for px in row] for row in rows]
    rows = [[(x * 50, y * 80, 7) for x in range(5)] for y in range(3)]
    return lzss(bmp24(rows)), rgb_pixels(rows)


def container(streams, count=None):
    out = b"TGS\0" + struct.pack("<i", len(streams) if count is None else count)
    for s in streams:
        out += struct.pack("<i", len(s)) + s
    return out


def build(version):
    g = game(version)
    state = state_stream(g)
    stream0, pixels = screen(version)
    streams = [stream0, lzss(bytes(state.data))]
    buffers = []
    for number, transparent in g["buffers"]:
        if number == 0:
            streams.append(b"")
            buffers.append({"number": 0, "transparent": False, "pixels": []})
        elif number == 3:
            streams.append(png_rgb(BUFFER3_ROWS))
            buffers.append({"number": 3, "transparent": True, "pixels": rgb_pixels(BUFFER3_ROWS, True)})
        else:
            streams.append(png_rgb(BUFFER32_ROWS))
            buffers.append({"number": 32, "transparent": False, "pixels": rgb_pixels(BUFFER32_ROWS)})
    expected = dict(g)
    expected.update({
        "music": {"playing": g["music_raw"][0] != 0, "loop": g["music_raw"][1] != 0, "name": g["music_name"]},
        "screen": pixels,
        "buffers": buffers,
        "labels": labels(),
    })
    del expected["music_raw"]
    return container(streams), expected, state, streams


def broken(state10, streams10):
    """Files every reader must refuse, by name."""
    good_state = bytes(state10.data)
    files = {}

    def with_state(data, extra=None):
        return container([streams10[0], lzss(data)] + (streams10[2:] if extra is None else extra))

    for n, cut in enumerate(state10.bounds[:-1]):
        files["cut_state_%02d" % n] = with_state(good_state[:cut])
    files["bad_magic"] = b"TGX\0" + container(streams10)[4:]
    for version in (0, 11, -1):
        files["version_%d" % version] = with_state(struct.pack("<i", version) + good_state[4:])

    def patch(offset, value):
        data = bytearray(good_state)
        data[offset:offset + 4] = struct.pack("<i", value)
        return bytes(data)

    m = state10.marks
    for name in ("flags", "items", "strings", "keywords", "macros"):
        files["negative_%s" % name] = with_state(patch(m[name], -1))
        files["huge_%s" % name] = with_state(patch(m[name], 0x7FFFFFFF))
    files["flags_above_list"] = with_state(patch(m["flags"], 16386))
    files["huge_string_length"] = with_state(patch(m["scene"], 0x7FFFFFF0))
    files["negative_string_length"] = with_state(patch(m["scene"], -2))
    pairs = m["pairs"]
    files["pair_40"] = with_state(patch(pairs + 4, 40))
    files["duplicate_pairs"] = with_state(patch(pairs + 12, 3))
    files["pair_without_stream"] = with_state(good_state, extra=streams10[2:3])
    files["negative_pairs"] = with_state(patch(pairs, -1))
    files["huge_pairs"] = with_state(patch(pairs, 34))
    coded = lzss(good_state)
    files["lzss_size_beyond_coder"] = container([streams10[0], struct.pack("<i", 0x7FFFFFFF) + coded[4:]]
                                                + streams10[2:])
    files["lzss_cut"] = container([streams10[0], coded[:len(coded) // 2]] + streams10[2:])
    files["stream_count_huge"] = container(streams10, count=0x7FFFFFFF)
    files["stream_count_one"] = container(streams10, count=1)
    files["bad_screen_png"] = container([streams10[0][:40]] + streams10[1:])
    return files


def main():
    with open(os.path.join(HERE, "game.tgs"), "wb") as f:
        f.write(b"".join(line.encode() + b"\r\n" for line in SCRIPT))
    for version in range(1, 11):
        data, expected, state, streams = build(version)
        with open(os.path.join(HERE, "v%02d.sav" % version), "wb") as f:
            f.write(data)
        with open(os.path.join(HERE, "v%02d.json" % version), "w", encoding="utf-8") as f:
            json.dump(expected, f, ensure_ascii=False, indent=1)
            f.write("\n")
        if version == 10:
            state10, streams10 = state, streams
            # Bytes after the last field are no fault.
            trailing = container([streams[0], lzss(bytes(state.data) + b"\x01\x02\x03")] + streams[2:])
            with open(os.path.join(HERE, "v10_trailing.sav"), "wb") as f:
                f.write(trailing)
    folder = os.path.join(HERE, "broken")
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    for name, data in broken(state10, streams10).items():
        with open(os.path.join(folder, name + ".sav"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
