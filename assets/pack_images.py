#!/usr/bin/env python3
"""Packs rendered pictures into the two small palette formats of the program.

    pack_images.py ico OUT.ico IMAGE.pam [IMAGE.pam ...]
    pack_images.py gif OUT.gif IMAGE.pam

The inputs are RGBA PAM files (ImageMagick: `convert x.png -depth 8 pam:x.pam`).
Each image is cut down to 16 colours with a hard-edged transparency:

- ico: one 4-bit (16 colour) bitmap with its 1-bit mask per input image;
  transparent pixels are black in the colour bitmap and set in the mask.
- gif: GIF89a with a 16 colour global table whose index 0 is the
  transparent colour.

ImageMagick writes neither format this way, so we pack them ourselves.
Only the Python standard library is used, and the output depends on the
input pixels alone.
"""

import struct
import sys

PALETTE_SIZE = 16
OPAQUE_FROM = 128  # alpha at or above this counts as opaque


def read_pam(path):
    """Returns (width, height, [(r, g, b, a), ...]) of an 8-bit RGB_ALPHA PAM file."""
    with open(path, "rb") as f:
        data = f.read()
    end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    header = {}
    for line in data[:end].decode("ascii").splitlines()[1:-1]:
        key, _, value = line.partition(" ")
        header[key] = value.strip()
    width, height = int(header["WIDTH"]), int(header["HEIGHT"])
    if header.get("MAXVAL") != "255" or header.get("DEPTH") != "4":
        raise SystemExit(f"{path}: expected 8-bit RGBA, got {header}")
    raw = data[end:end + width * height * 4]
    if len(raw) != width * height * 4:
        raise SystemExit(f"{path}: pixel data too short")
    pixels = [tuple(raw[i:i + 4]) for i in range(0, len(raw), 4)]
    return width, height, pixels


def median_cut(counts, wanted):
    """Reduces a {colour: count} table to at most `wanted` colours."""
    boxes = [sorted(counts.items())]
    while len(boxes) < wanted:
        # split the box with the widest spread of one channel
        best, best_range, best_channel = None, 0, 0
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for channel in range(3):
                values = [colour[channel] for colour, _ in box]
                spread = max(values) - min(values)
                if spread > best_range:
                    best, best_range, best_channel = index, spread, channel
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: (item[0][best_channel], item[0]))
        total = sum(count for _, count in box)
        running, cut = 0, 1
        for cut in range(1, len(box)):
            running += box[cut - 1][1]
            if running * 2 >= total:
                break
        boxes[best:best] = [box[:cut], box[cut:]]
    return [mean_colour(box) for box in boxes]


def mean_colour(items):
    total = sum(count for _, count in items)
    return tuple((sum(colour[c] * count for colour, count in items) + total // 2) // total
                 for c in range(3))


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: (sum((colour[c] - palette[i][c]) ** 2 for c in range(3)), i))


def reduce_colours(counts, wanted):
    """Median cut, then a few rounds of k-means so the colours sit where the pixels are."""
    if len(counts) <= wanted:
        return sorted(counts)
    palette = median_cut(counts, wanted)
    for _ in range(8):
        groups = [[] for _ in palette]
        for colour, count in sorted(counts.items()):
            groups[nearest(colour, palette)].append((colour, count))
        updated = [mean_colour(group) if group else palette[i] for i, group in enumerate(groups)]
        if updated == palette:
            break
        palette = updated
    return sorted(set(palette))


def quantise(pixels, reserved, shared):
    """Maps the pixels to a palette of PALETTE_SIZE entries.

    Index 0 holds `reserved`, the colour every transparent pixel gets. With
    `shared`, opaque pixels of exactly that colour use index 0 as well (an icon,
    whose mask tells the two apart); otherwise index 0 means transparent only.
    Returns (palette, indices, transparent_flags)."""
    counts = {}
    for r, g, b, a in pixels:
        if a >= OPAQUE_FROM:
            counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    colours = reduce_colours(counts, PALETTE_SIZE - 1)
    if shared:
        colours = [c for c in colours if c != reserved]
    palette = [reserved] + colours
    palette += [(0, 0, 0)] * (PALETTE_SIZE - len(palette))
    lookup = {}
    indices, transparent = [], []
    for r, g, b, a in pixels:
        if a < OPAQUE_FROM:
            indices.append(0)
            transparent.append(True)
            continue
        colour = (r, g, b)
        if colour not in lookup:
            if shared and colour == reserved:
                lookup[colour] = 0
            else:
                lookup[colour] = 1 + nearest(colour, colours)
        indices.append(lookup[colour])
        transparent.append(False)
    return palette, indices, transparent


def ico_image(width, height, pixels):
    """One 4-bit bitmap with its AND mask, as stored inside an ICO file."""
    palette, indices, transparent = quantise(pixels, reserved=(0, 0, 0), shared=True)
    colour_row = ((width * 4 + 31) // 32) * 4
    mask_row = ((width + 31) // 32) * 4
    colour_bits = bytearray()
    mask_bits = bytearray()
    for y in reversed(range(height)):  # bitmaps are stored bottom-up
        row = bytearray(colour_row)
        mask = bytearray(mask_row)
        for x in range(width):
            i = y * width + x
            row[x // 2] |= indices[i] << (4 if x % 2 == 0 else 0)
            if transparent[i]:
                mask[x // 8] |= 0x80 >> (x % 8)
        colour_bits += row
        mask_bits += mask
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0,
                         len(colour_bits) + len(mask_bits), 0, 0, PALETTE_SIZE, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + bytes(colour_bits) + bytes(mask_bits)


def write_ico(out_path, inputs):
    images = []
    for path in inputs:
        width, height, pixels = read_pam(path)
        if not (0 < width <= 255 and 0 < height <= 255):
            raise SystemExit(f"{path}: {width}x{height} does not fit a 4-bit icon entry")
        images.append((width, height, ico_image(width, height, pixels)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for width, height, data in images:
        out += struct.pack("<BBBBHHII", width, height, PALETTE_SIZE, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(out_path, "wb") as f:
        f.write(out)


def lzw_encode(indices, min_code_size):
    """GIF's variable-length LZW, least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer, bit_count = 0, 0
    code_size = min_code_size + 1

    def emit(code):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += code_size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {bytes([i]): i for i in range(clear)}

    table = fresh_table()
    next_code = end + 1
    emit(clear)
    word = bytes([indices[0]])
    for index in indices[1:]:
        longer = word + bytes([index])
        if longer in table:
            word = longer
            continue
        emit(table[word])
        if next_code < 4096:
            table[longer] = next_code
            # the decoder widens its codes one entry later than we add them
            if next_code == (1 << code_size) and code_size < 12:
                code_size += 1
            next_code += 1
        else:
            emit(clear)
            table = fresh_table()
            next_code = end + 1
            code_size = min_code_size + 1
        word = bytes([index])
    emit(table[word])
    emit(end)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def write_gif(out_path, path):
    width, height, pixels = read_pam(path)
    palette, indices, _ = quantise(pixels, reserved=(255, 255, 255), shared=False)
    out = bytearray(b"GIF89a")
    # global colour table of 16 entries: size field 3 means 2^(3+1)
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x30 | 0x03, 0, 0)
    out += b"".join(bytes(colour) for colour in palette)
    # graphic control extension: colour index 0 is transparent
    out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, 0, 0)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    min_code_size = 4
    data = lzw_encode(indices, min_code_size)
    out.append(min_code_size)
    for start in range(0, len(data), 255):
        block = data[start:start + 255]
        out.append(len(block))
        out += block
    out.append(0)
    out.append(0x3B)
    with open(out_path, "wb") as f:
        f.write(out)


def main(argv):
    if len(argv) >= 4 and argv[1] == "ico":
        write_ico(argv[2], argv[3:])
    elif len(argv) == 4 and argv[1] == "gif":
        write_gif(argv[2], argv[3])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
