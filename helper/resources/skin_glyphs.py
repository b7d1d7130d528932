"""The skin's glyphs: the tools' icons and the small signs of caption buttons and status
images, drawn on a Canvas in a 24-unit square at (x, y) scaled to `size` pixels."""
import math


class Pen:
    """Draws in a 24-unit design square placed at (x, y) with `size` pixels."""

    def __init__(self, canvas, x, y, size, colour):
        self.c, self.x, self.y, self.k, self.colour = canvas, x, y, size / 24.0, colour

    def p(self, px, py):
        return (self.x + px * self.k, self.y + py * self.k)

    def line(self, points, width, colour=None):
        self.c.line([self.p(*q) for q in points], width * self.k, self.colour if colour is None else colour)

    def poly(self, points, colour=None):
        self.c.polygon([self.p(*q) for q in points], self.colour if colour is None else colour)

    def rrect(self, x0, y0, x1, y1, radius, colour=None):
        a, b = self.p(x0, y0), self.p(x1, y1)
        self.c.round_rect(a[0], a[1], b[0], b[1], radius * self.k, self.colour if colour is None else colour)

    def circle(self, cx, cy, r, colour=None):
        a = self.p(cx, cy)
        self.c.circle(a[0], a[1], r * self.k, self.colour if colour is None else colour)

    def ring(self, cx, cy, r, width, colour=None, start=None, end=None):
        a = self.p(cx, cy)
        self.c.ring(a[0], a[1], r * self.k, width * self.k, self.colour if colour is None else colour, start, end)


def outline_rect(pen, x0, y0, x1, y1, radius, width, fill):
    pen.rrect(x0, y0, x1, y1, radius)
    pen.rrect(x0 + width, y0 + width, x1 - width, y1 - width, max(0, radius - width), fill)


# ---- the tools' icons (colour on a transparent ground; `hole` fills inner parts) ----

def defrag(pen, hole):
    """The cluster map: a grid of blocks, some in order."""
    for row in range(3):
        for col in range(3):
            x, y = 3 + col * 6.3, 3 + row * 6.3
            if (row, col) in ((1, 2), (2, 1)):
                outline_rect(pen, x, y, x + 5.2, y + 5.2, 1.2, 1.4, hole)
            else:
                pen.rrect(x, y, x + 5.2, y + 5.2, 1.2)


def cleaner(pen, hole):
    """A waste bin."""
    pen.rrect(3.5, 5, 20.5, 7.5, 1)
    pen.rrect(9, 2.5, 15, 5.5, 1)
    pen.poly([(5, 8.5), (19, 8.5), (17.6, 21.5), (6.4, 21.5)])
    for x in (9.2, 12, 14.8):
        pen.line([(x, 11), (x, 19)], 1.3, hole)


def duplicates(pen, hole):
    """Two documents, one behind the other."""
    outline_rect(pen, 3, 2.5, 14.5, 17, 1.5, 1.7, hole)
    pen.rrect(8.5, 7, 21, 21.5, 1.5)
    pen.rrect(10.2, 8.7, 19.3, 19.8, 0.8, hole)
    for y in (11.5, 14.5, 17.5):
        pen.line([(12, y), (17.5, y)], 1.4)


def health(pen, hole):
    """A heart with a pulse line."""
    pen.circle(8, 9, 5)
    pen.circle(16, 9, 5)
    pen.poly([(3.2, 10.5), (20.8, 10.5), (12, 21)])
    pen.line([(4, 12.5), (8.5, 12.5), (10.5, 9), (13, 16), (15, 12.5), (20, 12.5)], 1.6, hole)


def schedule(pen, hole):
    """A clock."""
    pen.circle(12, 12, 9.5)
    pen.circle(12, 12, 7.7, hole)
    pen.line([(12, 7), (12, 12), (15.5, 14)], 1.8)


def settings(pen, hole):
    """A gear wheel."""
    for i in range(8):
        a = math.radians(i * 45)
        cx, cy = 12 + math.cos(a) * 8, 12 + math.sin(a) * 8
        pen.line([(12, 12), (cx, cy)], 4)
    pen.circle(12, 12, 7.5)
    pen.circle(12, 12, 3, hole)


def report(pen, hole):
    """A document with a bar chart."""
    pen.poly([(4.5, 2.5), (15, 2.5), (19.5, 7), (19.5, 21.5), (4.5, 21.5)])
    pen.poly([(6.2, 4.2), (14.3, 4.2), (14.3, 7.7), (17.8, 7.7), (17.8, 19.8), (6.2, 19.8)], hole)
    for x, top in ((8.5, 14), (11.5, 10.5), (14.5, 12.5)):
        pen.rrect(x - 1, top, x + 1, 18, 0.3)


def update(pen, hole):
    """Two arrows in a circle."""
    pen.ring(12, 12, 7.5, 2.4, None, 200, 350)
    pen.ring(12, 12, 7.5, 2.4, None, 20, 170)
    pen.poly([(19.5, 4.5), (21, 11), (14.5, 9.5)])
    pen.poly([(4.5, 19.5), (3, 13), (9.5, 14.5)])


def drive(pen, hole):
    """A hard disk."""
    outline_rect(pen, 2.5, 5, 21.5, 19, 2.5, 1.8, hole)
    pen.line([(4.5, 13.5), (19.5, 13.5)], 1.4)
    pen.circle(17, 16.2, 1.2)


def smart(pen, hole):
    """A line chart of readings."""
    pen.line([(3, 3), (3, 21), (21, 21)], 1.8)
    pen.line([(6, 16), (10, 10), (13.5, 13.5), (19.5, 6)], 2)
    pen.circle(19.5, 6, 1.8)


def devices(pen, hole):
    """A chip."""
    for i in range(4):
        y = 6.5 + i * 3.7
        pen.line([(2.5, y), (21.5, y)], 1.4)
    pen.rrect(5.5, 4, 18.5, 20, 1.5)
    pen.circle(9, 7.5, 1.3, hole)


def benchmark(pen, hole):
    """A speed gauge."""
    pen.ring(12, 14, 9, 2.6, None, 180, 360)
    pen.line([(12, 14), (17, 7.5)], 2)
    pen.circle(12, 14, 2.4)
    pen.rrect(3, 17.5, 21, 19.5, 0.8)


def check(pen, hole):
    """A disk check: a circle with a tick."""
    pen.circle(12, 12, 9.5)
    pen.line([(7.5, 12.5), (10.8, 15.8), (16.8, 8.5)], 2.4, hole)


def info(pen, hole):
    pen.circle(12, 12, 9.5)
    pen.circle(12, 7.3, 1.5, hole)
    pen.rrect(10.8, 10, 13.2, 17.5, 0.6, hole)


def feedback(pen, hole):
    """A speech bubble."""
    pen.rrect(2.5, 3.5, 21.5, 16.5, 3)
    pen.poly([(6.5, 15), (11, 15), (6, 21)])
    for y in (7.5, 11):
        pen.line([(6.5, y), (17.5, y)], 1.5, hole)


def online_help(pen, hole):
    """A question mark in a circle."""
    pen.circle(12, 12, 9.5)
    pen.ring(12, 9.6, 3.4, 2.2, hole, 160, 400)
    pen.line([(14.4, 11.9), (12, 13.4), (12, 14.8)], 2.2, hole)
    pen.circle(12, 17.4, 1.4, hole)


def globe(pen, hole):
    """The web: a globe with its equator, two latitudes and a meridian."""
    pen.circle(12, 12, 9.5)
    for y, half in ((12, 9.5), (7.4, 7.7), (16.6, 7.7)):
        pen.line([(12 - half, y), (12 + half, y)], 1.2, hole)
    pen.line([(12 + 4.6 * math.cos(t / 12 * math.pi), 12 + 9.5 * math.sin(t / 12 * math.pi))
              for t in range(-6, 7)], 1.2, hole)
    pen.line([(12 - 4.6 * math.cos(t / 12 * math.pi), 12 + 9.5 * math.sin(t / 12 * math.pi))
              for t in range(-6, 7)], 1.2, hole)


def play(pen, hole):
    """A demonstration: the play sign in a circle."""
    pen.circle(12, 12, 9.5)
    pen.poly([(9.6, 7.4), (17, 12), (9.6, 16.6)], hole)


def attention(pen, hole):
    pen.circle(12, 12, 11)
    pen.rrect(10.6, 5, 13.4, 14.5, 0.8, hole)
    pen.circle(12, 18, 1.7, hole)


def good(pen, hole):
    pen.circle(12, 12, 11)
    pen.line([(6.5, 12.5), (10.5, 16.5), (17.5, 8)], 3, hole)


def question(pen, hole):
    """A question: a question mark in a full circle."""
    pen.circle(12, 12, 11)
    pen.ring(12, 9.4, 3.8, 2.8, hole, 160, 400)
    pen.line([(14.7, 12.1), (12, 13.8), (12, 15.2)], 2.8, hole)
    pen.circle(12, 18.4, 1.7, hole)


def problem(pen, hole):
    pen.circle(12, 12, 11)
    pen.line([(7.5, 7.5), (16.5, 16.5)], 3, hole)
    pen.line([(16.5, 7.5), (7.5, 16.5)], 3, hole)


def folder(pen, hole):
    pen.poly([(2, 5), (9, 5), (11, 7.5), (22, 7.5), (22, 20), (2, 20)])
    pen.rrect(3.6, 10, 20.4, 18.5, 0.6, hole)


# ---- caption-button signs (centred in the design square) ----

def sign_close(pen):
    pen.line([(7.5, 7.5), (16.5, 16.5)], 2.2)
    pen.line([(16.5, 7.5), (7.5, 16.5)], 2.2)


def sign_minimise(pen):
    pen.line([(7, 16), (17, 16)], 2.2)


def sign_maximise(pen):
    pen.line([(7, 7), (17, 7), (17, 17), (7, 17), (7, 7)], 2)


def sign_restore(pen):
    pen.line([(6.5, 10), (14, 10), (14, 17.5), (6.5, 17.5), (6.5, 10)], 2)
    pen.line([(10, 6.5), (17.5, 6.5), (17.5, 14)], 2)


def sign_menu(pen):
    for y in (8, 12, 16):
        pen.line([(7, y), (17, y)], 1.8)


def sign_help(pen):
    pen.ring(12, 9.5, 3.6, 2, None, 160, 400)
    pen.line([(14.6, 11.8), (12, 13.5), (12, 15)], 2)
    pen.circle(12, 18, 1.3)


TOOLS = [defrag, cleaner, duplicates, health, schedule, settings, report, update]
DISK_TOOLS = [drive, smart, devices, benchmark, check, report, settings, info]
# The side buttons of the disk tools tab and of the options tab, in the order of their pages:
# disk check, information, health, benchmark, devices; cleaner, duplicate finder, scheduler.
DISK_TOOL_PAGES = [check, drive, smart, benchmark, devices, report, settings, info]
OPTION_PAGES = [cleaner, duplicates, schedule, settings, report, info, check, health]
