#!/usr/bin/env python3
"""Records one whole tip of the running sozu from the X screen, a picture per heartbeat:

    tip_frames.py WINDOW LEFT TOP SIDE SECONDS OUT_DIR

WINDOW is the program's X window (xdotool search), LEFT TOP SIDE the square of the screen to
take (the window and a margin of desktop). For SECONDS the square and the window's shape are
polled every 2 ms through libX11 and libXext, and every change is kept with its time: `import`
or `xwd` take 100 to 150 ms a picture here, too slow for heartbeats of 128 ms.

The shapes tell the heartbeats apart. A tube that tips at every measurement rests for 7
heartbeats (the last step of its tip and the six before the next measurement), then tips in 20
more: frames 1 2 3 4 5 6 7 7 7 7 8 8 7 6 5 4 3 3 0 1, the shapes of frames 0 to 8 all
different. The first such cycle whose shape at the middle of every heartbeat follows that
pattern, far from any change, gives one picture a heartbeat, taken at those middles. Pictures
that repeat the one before are folded into it. OUT_DIR gets frame-NN.ppm and frames.txt, a line
"frame-NN.ppm HEARTBEATS" for each, in order; the exit status is 1 when no cycle was whole.
"""
import ctypes
import ctypes.util
import os
import sys
import time

HEARTBEAT_MS = 128
REST_BEATS = 7
TIP_FRAMES = [1, 2, 3, 4, 5, 6, 7, 7, 7, 7, 8, 8, 7, 6, 5, 4, 3, 3, 0, 1]
PATTERN = [0] * REST_BEATS + TIP_FRAMES
CLEARANCE_MS = 30   # a sample this close to a change of shape could see either side
POLL_S = 0.002


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class XRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


def load(name):
    path = ctypes.util.find_library(name)
    if not path:
        sys.exit(f"tip_frames: no lib{name}")
    return ctypes.CDLL(path)


class Screen:
    def __init__(self, window, left, top, side):
        self.x11 = load("X11")
        self.xext = load("Xext")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.xext.XShapeGetRectangles.restype = ctypes.POINTER(XRectangle)
        self.xext.XShapeGetRectangles.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                                  ctypes.POINTER(ctypes.c_int),
                                                  ctypes.POINTER(ctypes.c_int)]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("tip_frames: no X display")
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.window, self.left, self.top, self.side = window, left, top, side

    def pixels(self):
        """The square as the screen holds it: blue, green, red and a pad byte a pixel."""
        image = self.x11.XGetImage(self.display, self.root, self.left, self.top, self.side,
                                   self.side, ctypes.c_ulong(-1).value, 2)   # ZPixmap
        if not image:
            sys.exit("tip_frames: XGetImage failed")
        im = image.contents
        if im.bits_per_pixel != 32 or im.red_mask != 0xFF0000 or im.blue_mask != 0xFF:
            sys.exit(f"tip_frames: a screen of {im.bits_per_pixel} bits a pixel is not handled")
        raw = ctypes.string_at(im.data, im.bytes_per_line * im.height)
        self.x11.XDestroyImage(image)
        return b"".join(raw[y * im.bytes_per_line:y * im.bytes_per_line + 4 * self.side]
                        for y in range(self.side))

    def shape(self):
        count, ordering = ctypes.c_int(), ctypes.c_int()
        rects = self.xext.XShapeGetRectangles(self.display, self.window, 0,   # ShapeBounding
                                              ctypes.byref(count), ctypes.byref(ordering))
        out = tuple((rects[i].x, rects[i].y, rects[i].width, rects[i].height)
                    for i in range(count.value))
        if rects:
            self.x11.XFree(rects)
        return out


def record(screen, seconds):
    """Every change of the square or of the shape: [(ms, shape, pixels)]."""
    states = []
    start = time.monotonic()
    while (now := time.monotonic()) - start < seconds:
        shape, pixels = screen.shape(), screen.pixels()
        if not states or states[-1][1] != shape or states[-1][2] != pixels:
            states.append(((now - start) * 1000.0, shape, pixels))
        time.sleep(POLL_S)
    return states, (time.monotonic() - start) * 1000.0


def state_at(states, ms):
    found = states[0]
    for s in states:
        if s[0] > ms:
            break
        found = s
    return found


def whole_cycle(states, end_ms):
    """The pictures of the first cycle that follows the pattern, a heartbeat each."""
    changes = [i for i in range(1, len(states)) if states[i][1] != states[i - 1][1]]
    change_times = [states[i][0] for i in changes]
    for i in changes:
        start = states[i][0]   # the tube leaves its rest: the first heartbeat of the tip
        middles = [start + (k - REST_BEATS + 0.5) * HEARTBEAT_MS for k in range(len(PATTERN))]
        if middles[0] < 0 or middles[-1] + HEARTBEAT_MS / 2 > end_ms:
            continue
        if any(abs(t - c) < CLEARANCE_MS for t in middles for c in change_times):
            continue
        picked = [state_at(states, t) for t in middles]
        shapes = [p[1] for p in picked]
        if all((shapes[a] == shapes[b]) == (PATTERN[a] == PATTERN[b])
               for a in range(len(PATTERN)) for b in range(len(PATTERN))):
            return [p[2] for p in picked]
    return None


def main(argv):
    if len(argv) != 7:
        sys.exit("usage: tip_frames.py WINDOW LEFT TOP SIDE SECONDS OUT_DIR")
    window, left, top, side = (int(a, 0) for a in argv[1:5])
    seconds, out = float(argv[5]), argv[6]
    screen = Screen(window, left, top, side)
    states, end_ms = record(screen, seconds)
    pictures = whole_cycle(states, end_ms)
    if pictures is None:
        print(f"tip_frames: no whole tip among {len(states)} pictures in {seconds} s",
              file=sys.stderr)
        return 1
    os.makedirs(out, exist_ok=True)
    lines = []
    for picture in pictures:
        if lines and picture == lines[-1][0]:
            lines[-1][1] += 1
            continue
        lines.append([picture, 1])
    with open(os.path.join(out, "frames.txt"), "w") as listing:
        for n, (picture, beats) in enumerate(lines):
            name = f"frame-{n:02d}.ppm"
            rgb = bytearray(len(picture) // 4 * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = picture[2::4], picture[1::4], picture[0::4]
            with open(os.path.join(out, name), "wb") as f:
                f.write(b"P6 %d %d 255\n" % (side, side) + rgb)
            listing.write(f"{name} {beats}\n")
    print(f"tip_frames: {len(pictures)} heartbeats, {len(lines)} pictures, "
          f"from {len(states)} changes seen")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
