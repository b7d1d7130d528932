"""A small raster canvas for the skin's images: anti-aliased shapes by supersampling, written
as 24-bit BMP (opaque) or 32-bit PNG (with alpha). Colours are "#RRGGBB" texts or (r, g, b)."""
import math
import struct
import zlib

SAMPLES = 4  # per axis, for the coverage of shape edges
ERASE = "erase"  # as a colour: makes the shape transparent (holes in glyphs)


def rgb(colour):
    if isinstance(colour, tuple):
        return colour
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    """`a` moved the fraction t towards `b`."""
    a, b = rgb(a), rgb(b)
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


class Canvas:
    def __init__(self, width, height, colour=None):
        self.width, self.height = width, height
        c = rgb(colour) if colour else (0, 0, 0)
        alpha = 255 if colour else 0
        self.pixels = [[(c[0], c[1], c[2], alpha) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        if colour == ERASE:
            r, g, b, a = self.pixels[y][x]
            self.pixels[y][x] = (r, g, b, round(a * (1 - coverage)))
            return
        r, g, b = rgb(colour)
        pr, pg, pb, pa = self.pixels[y][x]
        a = coverage * 255
        out_a = a + pa * (1 - coverage)
        if out_a <= 0:
            return

        def ch(new, old):
            return round((new * a + old * pa * (1 - coverage)) / out_a)
        self.pixels[y][x] = (ch(r, pr), ch(g, pg), ch(b, pb), round(out_a))

    def set(self, x, y, colour, alpha=255):
        if 0 <= x < self.width and 0 <= y < self.height:
            r, g, b = rgb(colour)
            self.pixels[y][x] = (r, g, b, alpha)

    def shape(self, inside, colour, box=None):
        """Fills where inside(x, y) holds (pixel centres at +0.5), with edge coverage."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.width, int(math.ceil(x1)))):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                            hits += 1
                self.blend(x, y, colour, hits / (SAMPLES * SAMPLES))

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.set(x, y, colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
        self.shape(inside, colour, (x0, y0, x1 + 1, y1 + 1))

    def circle(self, cx, cy, radius, colour):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius, colour,
                   (cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1))

    def ring(self, cx, cy, radius, width, colour, start=None, end=None):
        """A circle line; with start and end (degrees, clockwise from 3 o'clock) an arc."""
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if abs(d - radius) > width / 2:
                return False
            if start is None:
                return True
            angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
            return (angle - start) % 360 <= (end - start) % 360
        r = radius + width
        self.shape(inside, colour, (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def line(self, points, width, colour):
        """A polyline of the given width with round joins."""
        def distance(px, py, ax, ay, bx, by):
            dx, dy = bx - ax, by - ay
            length = dx * dx + dy * dy
            t = 0 if length == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / length))
            return math.hypot(px - ax - t * dx, py - ay - t * dy)
        segments = list(zip(points, points[1:]))

        def inside(x, y):
            return any(distance(x, y, a[0], a[1], b[0], b[1]) <= width / 2 for a, b in segments)
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, colour, (min(xs) - width, min(ys) - width, max(xs) + width + 1,
                                    max(ys) + width + 1))

    def polygon(self, points, colour):
        def inside(x, y):
            result = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    result = not result
                j = i
            return result
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, colour, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1))

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                r, g, b, a = other.pixels[y][x]
                if a:
                    self.blend(x0 + x, y0 + y, (r, g, b), a / 255)

    def flattened(self, background):
        """Every pixel made opaque over `background`."""
        out = Canvas(self.width, self.height, background)
        out.paste(self, 0, 0)
        return out

    def write_bmp(self, path):
        """24-bit, bottom-up."""
        stride = (self.width * 3 + 3) & ~3
        rows = []
        for y in reversed(range(self.height)):
            row = bytearray()
            for x in range(self.width):
                r, g, b, _ = self.pixels[y][x]
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            rows.append(bytes(row))
        data = b"".join(rows)
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data), 2835,
                           2835, 0, 0)
        with open(path, "wb") as out:
            out.write(header + info + data)

    def write_png(self, path):
        raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in self.pixels)

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width,
                                                                 self.height, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as out:
            out.write(png)

    def write_cursor(self, path, hot_x, hot_y):
        """A 32-bit cursor (one image) with its hot spot."""
        xor = b"".join(bytes((b, g, r, a)) for row in reversed(self.pixels)
                       for (r, g, b, a) in row)
        mask_stride = ((self.width + 31) // 32) * 4
        mask = b"\0" * (mask_stride * self.height)
        bih = struct.pack("<IiiHHIIiiII", 40, self.width, self.height * 2, 1, 32, 0,
                          len(xor) + len(mask), 0, 0, 0, 0)
        image = bih + xor + mask
        header = struct.pack("<HHH", 0, 2, 1)
        entry = struct.pack("<BBBBHHII", self.width % 256, self.height % 256, 0, 0, hot_x, hot_y,
                            len(image), 6 + 16)
        with open(path, "wb") as out:
            out.write(header + entry + image)
