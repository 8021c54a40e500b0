"""A small antialiased rasteriser: shapes are signed distance functions, and a pixel takes the
share of a shape that covers it (one pixel of soft edge). Enough for flat, clean artwork."""

import math


def clamp(value, low=0.0, high=1.0):
    return low if value < low else high if value > high else value


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


class Canvas:
    """RGB pixels as floats 0..255, row 0 at the top."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[tuple(map(float, colour)) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        row = self.pixels[y]
        row[x] = mix(row[x], colour, min(alpha, 1.0))

    def fill_rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = tuple(map(float, colour))

    def vertical_gradient(self, x0, y0, x1, y1, stops):
        """stops: [(t, colour)] with t from 0 (top) to 1 (bottom)."""
        span = max(1, y1 - y0 - 1)
        for y in range(max(0, y0), min(self.height, y1)):
            t = (y - y0) / span
            colour = stops[-1][1]
            for (ta, ca), (tb, cb) in zip(stops, stops[1:]):
                if ta <= t <= tb:
                    colour = mix(ca, cb, (t - ta) / max(1e-9, tb - ta))
                    break
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = tuple(colour)

    def shape(self, distance, bounds, colour, opacity=1.0):
        """Paints where distance(px, py) < 0, sampled at pixel centres; bounds = (x0, y0, x1, y1)."""
        x0, y0, x1, y1 = bounds
        for y in range(max(0, int(math.floor(y0)) - 1), min(self.height, int(math.ceil(y1)) + 2)):
            for x in range(max(0, int(math.floor(x0)) - 1), min(self.width, int(math.ceil(x1)) + 2)):
                cover = clamp(0.5 - distance(x + 0.5, y + 0.5))
                if cover > 0.0:
                    self.blend(x, y, colour, cover * opacity)

    def rounded_rect(self, x0, y0, x1, y1, radius, colour, opacity=1.0):
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

        def distance(px, py):
            qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
            outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
            return outside + min(max(qx, qy), 0.0) - radius

        self.shape(distance, (x0, y0, x1, y1), colour, opacity)

    def rounded_rect_gradient(self, x0, y0, x1, y1, radius, top, bottom):
        """A rounded rectangle whose colour runs from top to bottom."""
        for row in range(int(y0), int(math.ceil(y1))):
            t = clamp((row + 0.5 - y0) / max(1.0, y1 - y0))
            colour = mix(top, bottom, t)
            self._rounded_rect_row(x0, y0, x1, y1, radius, colour, row)

    def _rounded_rect_row(self, x0, y0, x1, y1, radius, colour, row):
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
        if not 0 <= row < self.height:
            return
        py = row + 0.5
        for x in range(max(0, int(x0) - 1), min(self.width, int(math.ceil(x1)) + 1)):
            qx, qy = abs(x + 0.5 - cx) - hx, abs(py - cy) - hy
            d = math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - radius
            self.blend(x, row, colour, clamp(0.5 - d))

    def ellipse(self, cx, cy, rx, ry, colour, opacity=1.0):
        def distance(px, py):
            # Scaled circle distance: exact enough for the soft edge of small ellipses.
            k = math.hypot((px - cx) / rx, (py - cy) / ry)
            return (k - 1.0) * min(rx, ry)

        self.shape(distance, (cx - rx, cy - ry, cx + rx, cy + ry), colour, opacity)

    def ring(self, cx, cy, radius, width, colour):
        def distance(px, py):
            return abs(math.hypot(px - cx, py - cy) - radius) - width / 2

        r = radius + width
        self.shape(distance, (cx - r, cy - r, cx + r, cy + r), colour)

    def polygon(self, points, colour, opacity=1.0):
        def distance(px, py):
            inside = False
            best = float("inf")
            n = len(points)
            for i in range(n):
                ax, ay = points[i]
                bx, by = points[(i + 1) % n]
                best = min(best, segment_distance(px, py, ax, ay, bx, by))
                if (ay > py) != (by > py) and px < (bx - ax) * (py - ay) / (by - ay) + ax:
                    inside = not inside
            return -best if inside else best

        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(distance, (min(xs), min(ys), max(xs), max(ys)), colour, opacity)

    def strokes(self, polylines, width, colour, opacity=1.0):
        segments = []
        for line in polylines:
            if len(line) == 1:
                line = [line[0], line[0]]
            segments.extend(zip(line, line[1:]))
        if not segments:
            return
        half = width / 2

        def distance(px, py):
            return min(segment_distance(px, py, a[0], a[1], b[0], b[1]) for a, b in segments) - half

        xs = [p[0] for s in segments for p in s]
        ys = [p[1] for s in segments for p in s]
        self.shape(distance, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half),
                   colour, opacity)

    def rgb_rows(self):
        return [[tuple(int(round(clamp(c, 0.0, 255.0))) for c in p) for p in row]
                for row in self.pixels]


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp(((px - ax) * dx + (py - ay) * dy) / length2)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))
