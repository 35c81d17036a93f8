#!/usr/bin/env python3
"""Writes the hand-made hostile model files of corpus/.

Every file here must be refused by the loader for the reason its name
states, as corpus-reasons.txt lists it: the inspector's test checks that,
and the fuzzer starts from them. Run again after changing a case, and list
a new file's reason.
"""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
RECORD = 372


def header(magic=b"CONVLWO"):
    return magic + b"hostile test model".ljust(133, b"\0")


def record(per_polygon=3, polygons=1, vertex_offset=2 * RECORD, next_offset=RECORD):
    rec = bytearray(RECORD)
    struct.pack_into("<iiII", rec, 4, 0, 0, 0, 0)
    struct.pack_into("<ii", rec, 4, per_polygon, polygons)
    rec[12:22] = b"sample.bmp"
    struct.pack_into("<IIIIII", rec, 272, 2, 0, 2, 1, vertex_offset, next_offset)
    return rec


def vertices(n):
    out = bytearray()
    for i in range(n):
        out += struct.pack("<8f", float(i), 0.0, float(-i), 0.0, 1.0, 0.0, 0.0, 0.0)
    return out


def body(first, end=None, tail=b""):
    b = bytearray(first)
    b += end if end is not None else record(0, 0, 0, 0)
    b += tail
    return bytes(b)


def place(buf, at, rec):
    buf = bytearray(buf)
    if len(buf) < at + len(rec):
        buf += bytes(at + len(rec) - len(buf))
    buf[at:at + len(rec)] = rec
    return bytes(buf)


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(HERE, exist_ok=True)
    good = body(record(), tail=vertices(3))
    write("bad_magic.dat", header(b"CONVLWX") + good)
    write("lowercase_magic.dat", header(b"convlwo") + good)
    write("shorter_than_header.dat", header()[:100])
    write("header_only.dat", header())
    write("record_cut_short.dat", header() + good[:200])
    write("next_record_outside.dat", header() + body(record(next_offset=len(good) - RECORD + 1), tail=vertices(3)))
    write("next_record_max.dat", header() + body(record(next_offset=0xFFFFFFFF), tail=vertices(3)))
    write("ending_record_cut_short.dat", header() + record(polygons=0, next_offset=RECORD) + bytes(100))
    write("negative_vertices_per_polygon.dat", header() + body(record(per_polygon=-3), tail=vertices(3)))
    write("negative_polygon_count.dat", header() + body(record(polygons=-1), tail=vertices(3)))
    write("negative_counts_multiply_positive.dat", header() + body(record(-1, -3), tail=vertices(3)))
    write("vertices_one_byte_outside.dat", header() + body(record(vertex_offset=2 * RECORD + 1), tail=vertices(3)))
    write("vertex_offset_max.dat", header() + body(record(vertex_offset=0xFFFFFFF0), tail=vertices(3)))
    write("vertex_count_overflows.dat", header() + body(record(0x7FFFFFFF, 0x7FFFFFFF), tail=vertices(3)))
    write("vertex_count_wraps_32_bits.dat", header() + body(record(0x40000000, 4), tail=vertices(3)))
    write("vertex_bytes_wrap_32_bits.dat", header() + body(record(1, 0x08000000), tail=vertices(3)))
    write("record_names_itself.dat", header() + place(body(record(), tail=vertices(3)), RECORD, record(next_offset=RECORD)))
    two = place(place(bytes(3 * RECORD), 0, record(0, 0, 0, RECORD)), RECORD, record(0, 0, 0, 2 * RECORD))
    two = place(two, 2 * RECORD, record(0, 0, 0, RECORD))
    write("two_record_loop.dat", header() + two)
    ring = bytearray(13 + RECORD)
    for at, nxt in ((0, 7), (7, 13), (13, 7)):
        struct.pack_into("<I", ring, at + 292, nxt)
    write("overlapping_record_loop.dat", header() + bytes(ring))
    damaged_second = place(body(record(), tail=vertices(3)), RECORD, record(3, 1, 2 * RECORD, 0x10000))
    write("second_record_points_outside.dat", header() + damaged_second)
    bad_second = place(body(record(), tail=vertices(3)), RECORD, record(3, 500, 2 * RECORD, 0))
    bad_second = place(bad_second, RECORD, record(3, 500, 2 * RECORD, 2 * RECORD + 96))
    write("second_object_vertices_outside.dat", header() + bad_second + bytes(RECORD))


if __name__ == "__main__":
    main()
