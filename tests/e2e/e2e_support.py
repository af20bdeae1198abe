"""What the end-to-end tests share: a private Xvfb display, the application
started on an empty store, the mouse and keyboard through xdotool, pictures of
the screen, the program files, and the editor's layout in design units.

Design units are the application's own: 1024 by 768, y up from the bottom
edge, as every screen is laid out. They are turned into screen pixels with the
window's geometry as xdotool reports it.
"""

import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time
import xml.parsers.expat

SKIP = 77
DESIGN_WIDTH = 1024
DESIGN_HEIGHT = 768


class Failure(Exception):
    pass


def skip_unless_tools(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            print(f"SKIP: {tool} is not installed")
            sys.exit(SKIP)


def wait_until(condition, what, timeout=5.0, interval=0.05):
    """Polls `condition` until it returns something true, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def settle(seconds=0.3):
    """Lets animations that have no visible outcome to poll for run out."""
    time.sleep(seconds)


# --- the editor's layout, in design units (y up) -----------------------------

# Rows: plates 130 units high; the first row's centre at y 653 while the field
# shows its top (content offset -768 x 6.33, rows from 50 below the content's
# top edge at 768 x 7.33).
ROW_HEIGHT = 130
CONTENT_TOP_ROW_Y = DESIGN_HEIGHT * 7.33 - 50 - ROW_HEIGHT / 2  # row 1 in content units
FIRST_ROW_Y = round(CONTENT_TOP_ROW_Y - DESIGN_HEIGHT * 6.33)    # 653 on the screen
# A card snapped to a row: its left edge's middle on the slot's snap point,
# 5 units into the slot (slot left edge 547.5); cards are 200 by 120.
CARD_WIDTH = 200
CARD_HEIGHT = 120
SNAPPED_X = 547.5 + 5 + CARD_WIDTH / 2
ROW_BUTTON_X = 447.5

# Palette: cards right-aligned at x 165, the first at y 615, 140 apart.
PALETTE_X = 165
PALETTE_FIRST_Y = 615
PALETTE_STEP = 140
TAB_X = {0: 47.5, 1: 137.5, 2: 227.5}
TAB_Y = 741.5

TRASH = (924, 648)
TOGGLE = (954, 504)
CHOOSER_Y = TOGGLE[1] + 100
CHOOSER_X = {0: 954, 1: 814, 2: 674}  # jam, latte, que, laid out leftwards
SETTINGS_CLOSED = (989, 44)
SETTINGS_OPEN = (989, 136)
PORT_FIELD = (610, 61)  # the port box on the open bottom bar
PORT_ROW_BOTTOM = 91    # the port list grows upwards from above the box
PORT_ROW_STEP = 52      # 50 high, 2 between rows
PLAY = (944, 384)
STOP = (954, 264)
BACK = (974, 733)
LIST_NEW = (512, 384)
LIST_FIRST = (862, 384)

BASIC, FULL = 0, 2  # card sets


def row_y(row):
    """Screen y of row `row` (1-based) while the field shows its top."""
    return FIRST_ROW_Y - ROW_HEIGHT * (row - 1)


def palette_y(index):
    """Screen y of palette card `index` while the palette shows its top."""
    return PALETTE_FIRST_Y - PALETTE_STEP * index


def port_row(index):
    """Centre of row `index` of the open port list."""
    return (PORT_FIELD[0], PORT_ROW_BOTTOM + PORT_ROW_STEP * index + 25)


def flick_corner(x, y):
    """The folded corner (40 by 40, lower right) of a card centred at (x, y)."""
    return (x + CARD_WIDTH / 2 - 20, y - CARD_HEIGHT / 2 + 20)


def snapped_row(card):
    """The 1-based row a saved card is snapped to, or None for a loose card."""
    if card["x"] != int(SNAPPED_X):
        return None
    row = round((CONTENT_TOP_ROW_Y - card["y"]) / ROW_HEIGHT)
    # Saved positions are truncated to whole units.
    if not 0 <= row < 40 or int(CONTENT_TOP_ROW_Y - ROW_HEIGHT * row) != card["y"]:
        return None
    return row + 1


def describe(cards):
    """A saved program as sorted (row, set, index, value) tuples; loose cards have row None."""
    return sorted(((snapped_row(c), c["tab"], c["index"], c["value"]) for c in cards),
                  key=lambda t: (t[0] is None, t[0] or 0, t[1], t[2], t[3]))


class Picture:
    """Raw RGB pixels of a part of the screen."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def __eq__(self, other):
        return (self.width, self.height, self.data) == (other.width, other.height, other.data)

    def __hash__(self):
        return hash(self.data)

    def colour(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def strays(self, other, tolerance=8):
        """Pixels of this picture that no pixel within one pixel of the same
        place in `other` explains, each channel allowed to lie between the
        neighbours' (a picture drawn half a pixel further along blends them)."""
        count = 0
        for y in range(self.height):
            for x in range(self.width):
                mine = self.colour(x, y)
                if mine == other.colour(x, y):
                    continue
                around = [other.colour(nx, ny)
                          for ny in range(max(0, y - 1), min(self.height, y + 2))
                          for nx in range(max(0, x - 1), min(self.width, x + 2))]
                if any(not min(c[k] for c in around) - tolerance <= mine[k] <= max(c[k] for c in around) + tolerance
                       for k in range(3)):
                    count += 1
        return count


# --- the display and the application -----------------------------------------

class Session:
    """Xvfb, the application on an empty store, and input through xdotool."""

    def __init__(self, app, args=(), shots=None):
        self.work = tempfile.mkdtemp(prefix="pavlune-e2e-")
        self.data = os.path.join(self.work, "data")
        self.store = os.path.join(self.data, "PavluneApps")
        self.shots = shots
        self.xvfb = None
        self.app = None
        self.log_path = os.path.join(self.work, "app.log")
        try:
            self._start_display()
            self._start_app(app, args)
        except BaseException:
            self.close()
            raise

    def _start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=f":{number}", XDG_DATA_HOME=self.data)

    def _start_app(self, app, args):
        os.makedirs(self.data)
        self.log = open(self.log_path, "wb")
        self.app = subprocess.Popen([app, *args], env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        geometry = wait_until(lambda: self.window_geometry("^PavluneApps$"), "the PavluneApps window", 10)
        self.left, self.top = int(geometry["X"]), int(geometry["Y"])
        self.width, self.height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        settle(1.0)  # the list screen's first frames

    def window_geometry(self, name):
        """X, Y, WIDTH, HEIGHT and WINDOW of the first window titled `name`
        (a regular expression), or None. A window found may be gone by the
        time its geometry is asked for."""
        found = subprocess.run(["xdotool", "search", "--name", name], env=self.env,
                               capture_output=True, text=True).stdout.split()
        if not found:
            return None
        result = subprocess.run(["xdotool", "getwindowgeometry", "--shell", found[0]], env=self.env,
                                capture_output=True, text=True)
        if result.returncode != 0:
            return None
        return dict(line.split("=", 1) for line in result.stdout.split())

    def xdo(self, *args):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout

    def close(self):
        for process in (self.app, self.xvfb):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        if getattr(self, "log", None):
            self.log.close()
        shutil.rmtree(self.work, ignore_errors=True)

    def alive(self):
        if self.app.poll() is not None:
            with open(self.log_path, "rb") as log:
                raise Failure(f"pavlune-cards ended ({self.app.returncode}): {log.read().decode(errors='replace')}")

    # --- coordinates and input ---

    def pixel(self, x, y):
        """Screen pixel of a design point."""
        px = self.left + x * self.width / DESIGN_WIDTH
        py = self.top + (DESIGN_HEIGHT - y) * self.height / DESIGN_HEIGHT
        return int(round(px)), int(round(py))

    def move(self, x, y):
        self.xdo("mousemove", *self.pixel(x, y))

    def click(self, x, y, wait=0.4):
        self.move(x, y)
        self.xdo("click", "1")
        settle(wait)

    def press(self, x, y):
        self.move(x, y)
        self.xdo("mousedown", "1")

    def release(self):
        self.xdo("mouseup", "1")

    def glide(self, start, end, step=8, pause=0.01):
        """Moves the pressed mouse from `start` to `end` in steps of about `step` units."""
        (x0, y0), (x1, y1) = start, end
        count = max(1, int(max(abs(x1 - x0), abs(y1 - y0)) / step))
        for i in range(1, count + 1):
            self.move(x0 + (x1 - x0) * i / count, y0 + (y1 - y0) * i / count)
            time.sleep(pause)

    def drag(self, start, end, hold=0.0):
        """Press at `start`, hold still for `hold` seconds, glide to `end`, release."""
        self.press(*start)
        time.sleep(hold)
        self.glide(start, end)
        settle(0.1)
        self.release()

    def palette_drag(self, index, target):
        """Takes palette card `index` out to the right and drops it with its
        centre at `target`. The first move goes straight right, which lifts a
        copy at once."""
        start = (PALETTE_X, palette_y(index))
        self.press(*start)
        time.sleep(0.1)
        right = (start[0] + 30, start[1])
        self.glide(start, right, step=5)
        self.glide(right, (target[0], target[1]))
        settle(0.1)
        self.release()

    def key(self, *keys):
        self.xdo("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.xdo("type", "--delay", "60", text)

    # --- pictures ---

    def region(self, x0, y0, x1, y1):
        """The screen between two design corners."""
        (px0, py0), (px1, py1) = self.pixel(x0, y1), self.pixel(x1, y0)
        geometry = f"{px1 - px0}x{py1 - py0}+{px0}+{py0}"
        result = subprocess.run(["import", "-window", "root", "-crop", geometry, "-depth", "8", "rgb:-"],
                                env=self.env, capture_output=True)
        if result.returncode != 0:
            raise Failure(f"import: {result.stderr.decode(errors='replace')}")
        return Picture(px1 - px0, py1 - py0, result.stdout)

    def colour_at(self, x, y):
        return self.region(x, y - 1, x + 1, y).colour(0, 0)

    def shot(self, name):
        if self.shots and shutil.which("import"):
            subprocess.run(["import", "-window", "root", os.path.join(self.shots, name + ".png")],
                           env=self.env, check=False)

    # --- the store ---

    def program_path(self, number=1):
        return os.path.join(self.store, "savedatas", f"{number}.plist")

    def program(self, number=1):
        """The saved cards of program `number`, or None before its first save."""
        try:
            with open(self.program_path(number), "rb") as file:
                return plistlib.load(file)
        except (FileNotFoundError, plistlib.InvalidFileException, xml.parsers.expat.ExpatError):
            return None  # not written yet, or caught halfway through a write

    def wait_for_program(self, expected, what, number=1, timeout=5.0):
        """Polls the program file until its cards read as `expected` (see describe)."""
        seen = []

        def matches():
            cards = self.program(number)
            seen[:] = [None if cards is None else describe(cards)]
            return cards is not None and describe(cards) == expected

        try:
            wait_until(matches, what, timeout)
        except Failure as failure:
            raise Failure(f"{failure}: the program reads {seen[0]}, expected {expected}") from None
        return self.program(number)


def run(main):
    """Runs a test body, reporting PASS, FAIL or SKIP as ctest expects."""
    started = time.monotonic()
    try:
        main()
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        sys.exit(1)
    print(f"PASS ({time.monotonic() - started:.1f} s)")

