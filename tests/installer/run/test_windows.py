#!/usr/bin/env python3
"""Windows of whole runs: packed installers under Wine on a virtual display,
watched from the X side the way a user would see them.

- An interactive extraction of a large payload shows the splash screen: the
  screen is grabbed while the window is up (the installer frozen for the
  moment of the grab) and each grab must show the test picture centred on the
  screen with the dot exactly where one of the angles 0, 10, ..., 350 puts
  it; the dot moves between grabs.
- The demo installer (tarn-demo-setup.exe) carries its own picture, drawn at
  build time: 800 x 200 pixels, the product name in large type and a quiet
  band 80 pixels below the centre, where the dot circles. Its splash window
  is grabbed while an error box holds the run (the window raised above the
  box): the name's pixels as in the picture, the dot on its circle there.
- A silent run of a large payload never shows a window of its own.
- An interactive error is a message box found by its caption, read, and
  dismissed with a key press; the installer then exits with 1 and leaves
  nothing behind.

Run under a virtual display (xvfb-run -a -s "-screen 0 1024x768x24"), in a
Wine prefix of its own whose windows are unmanaged (no window manager runs).

Environment (set by CMake): TARN_PACK, TARN_STUB_KIT, TARN_TEST_MSI_DIR,
TARN_WINE_RUN, TARN_BUILD_DIR, TARN_WINEPREFIX, TARN_HOLD_MUTEX,
TARN_BOX_READER, TARN_DEMO_SETUP, TARN_DEMO_SPLASH, TARN_MAKE_DEMO_SPLASH;
TARN_PAYLOAD_MB (default 192) sizes the large payload.
"""
import collections
import contextlib
import functools
import hashlib
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import splash_picture  # noqa: E402
import splash_shot  # noqa: E402
from tarntest import (AMD64_MSI, COMMON_CAB, ENV, PREFIX, holding, pack, scratch, start_wine,  # noqa: E402
                      temp_entries, text, tree, wait_for_wineserver, win_path, wine, write)

CAPTION = "Tarnvale Installer"
PAYLOAD_BYTES = int(ENV.get("TARN_PAYLOAD_MB", "192")) * 1024 * 1024
# Where a grab that failed its check is kept, for a look at it (ctest's working directory).
FAILED_SHOT = os.path.abspath("windows-splash-shot.png")

XWindow = collections.namedtuple("XWindow", "id name res_name width height x y")
XWININFO_LINE = re.compile(r'^\s*(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((?:"([^"]*)" "[^"]*")?\)'
                           r'\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)')


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def x_windows():
    """The top-level X windows of the display, mapped or not."""
    # A window that goes away while xwininfo asks for its name makes it fail (BadWindow): ask again.
    for attempt in range(5):
        proc = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True)
        if proc.returncode == 0:
            break
        time.sleep(0.1)
    else:
        raise RuntimeError(f"xwininfo fails: {proc.stderr.strip()}")
    out = proc.stdout
    found = []
    for line in out.splitlines():
        m = XWININFO_LINE.match(line)
        if m:
            found.append(XWindow(m.group(1), m.group(2), m.group(3), int(m.group(4)), int(m.group(5)),
                                 int(m.group(6)), int(m.group(7))))
    return found


def windows_of(exe):
    """The X windows Wine made for the program @a exe (it names their class after the program)."""
    name = os.path.basename(exe)
    return [w for w in x_windows() if w.res_name == name]


def is_viewable(window):
    out = subprocess.run(["xwininfo", "-id", window.id], capture_output=True, text=True).stdout
    return "IsViewable" in out


def splash_of(exe, picture=splash_picture):
    """The splash window of @a exe: captioned like the installer, of @a picture's size; None when not shown."""
    for w in windows_of(exe):
        if w.name == CAPTION and (w.width, w.height) == (picture.WIDTH, picture.HEIGHT):
            return w
    return None


def box_of(exe):
    """A visible message box of @a exe: captioned like the installer, not the splash; None when none shows."""
    for w in windows_of(exe):
        if w.name == CAPTION and (w.width, w.height) != (splash_picture.WIDTH, splash_picture.HEIGHT) \
                and is_viewable(w):
            return w
    return None


def descendants(pid):
    """The processes below @a pid."""
    children = collections.defaultdict(list)
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    ppid = int(f.read().rsplit(")", 1)[1].split()[1])
            except OSError:
                continue
            children[ppid].append(int(entry))
    found, todo = set(), [pid]
    while todo:
        for child in children[todo.pop()]:
            found.add(child)
            todo.append(child)
    return found


def window_process(window, started):
    """The Linux process that owns @a window, which must be one that the test @a started (a Popen)."""
    out = subprocess.run(["xprop", "-id", window.id, "_NET_WM_PID"], capture_output=True, text=True).stdout
    m = re.search(r"= (\d+)", out)
    if not m or int(m.group(1)) not in descendants(started.pid):
        return None
    return int(m.group(1))


def process_state(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()[0]


@contextlib.contextmanager
def frozen(pid):
    """Holds process @a pid still (every thread), so its window shows one frame while it is grabbed."""
    os.kill(pid, signal.SIGSTOP)
    try:
        for _ in range(200):
            if process_state(pid) in ("T", "t"):
                break
            time.sleep(0.005)
        yield
    finally:
        os.kill(pid, signal.SIGCONT)


def grab_screen(path):
    subprocess.run(["import", "-window", "root", path], check=True, capture_output=True)
    return splash_shot.read_shot(path)


def grab_screen_raw():
    """The screen as a splash_shot.Shot, straight from the X server."""
    geometry = subprocess.run(["xwininfo", "-root"], check=True, capture_output=True, text=True).stdout
    width = int(re.search(r"Width: (\d+)", geometry).group(1))
    height = int(re.search(r"Height: (\d+)", geometry).group(1))
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout
    return splash_shot.Shot(width, height, data)


def is_painted(shot, picture=splash_picture):
    """Whether @a picture shows at the centre, judged by pixels far from the dot (a fresh window may be blank)."""
    left, top = shot.picture_origin(picture)
    corners = [(20, 20), (picture.WIDTH - 1, 0), (0, picture.HEIGHT - 1), (picture.WIDTH - 1, picture.HEIGHT - 1)]
    return all(shot.at(left + x, top + y) == picture.shown(x, y) for x, y in corners)


def setUpModule():
    # Without a window manager on the display Wine waits for one at every
    # destruction of a managed window: all windows unmanaged in this prefix.
    mark = os.path.join(PREFIX, ".tarn-unmanaged")
    if not os.path.exists(mark):
        proc = wine("reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        if proc.returncode == 0:
            open(mark, "w").close()
    # Each suite starts with the prefix's server ended: a program that starts while the last one's desktop
    # (explorer) is shutting down can end up on a desktop of its own, where other programs do not see its windows.
    wait_for_wineserver()


def tearDownModule():
    # The next suite brings a display of its own: nothing of this one may stay.
    wait_for_wineserver()


class WindowFixture(unittest.TestCase):
    def setUp(self):
        self.tmp = scratch(self, "tarn-windows-")
        # The installer's output, apart from what the tests look at in self.tmp.
        self.logs = scratch(self, "tarn-windows-logs-")

    def picture(self):
        """The splash test picture as a PNG file."""
        path = os.path.join(self.tmp, "picture.png")
        if not os.path.exists(path):
            write(path, splash_picture.png_bytes())
        return path

    def large_payload(self):
        """Random bytes (they do not compress) in a cabinet-named file."""
        path = os.path.join(self.tmp, "payload.cab")
        with open(path, "wb") as f:
            for _ in range(PAYLOAD_BYTES >> 20):
                f.write(os.urandom(1 << 20))
        return path

    def start(self, exe, *args):
        """Starts @a exe under Wine; its output goes to files read by finish()."""
        out = open(os.path.join(self.logs, "stdout"), "wb")
        err = open(os.path.join(self.logs, "stderr"), "wb")
        self.addCleanup(out.close)
        self.addCleanup(err.close)
        proc = start_wine(exe, *args, stdout=out, stderr=err)
        self.addCleanup(self.stop_if_running, proc)
        return proc

    def stop_if_running(self, proc):
        """Ends what a failed test left running: the Wine processes below @a proc, then @a proc."""
        if proc.poll() is None:
            for pid in descendants(proc.pid):
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, signal.SIGKILL)
            proc.kill()
            proc.wait()

    def finish(self, proc, timeout=180):
        """Waits for the end of @a proc: (exit code, stdout, stderr)."""
        rc = proc.wait(timeout=timeout)
        with open(os.path.join(self.logs, "stdout"), "rb") as f:
            out = text(f.read())
        with open(os.path.join(self.logs, "stderr"), "rb") as f:
            err = text(f.read())
        return rc, out, err

    def dismiss_box(self, exe, proc, splash_with_box):
        """Finds the message box of @a exe by its caption, checks whether the splash window shows with it
        (@a splash_with_box), reads the box's text and closes the box with the Return key."""
        box = None
        deadline = time.monotonic() + 120
        while not box and proc.poll() is None and time.monotonic() < deadline:
            box = box_of(exe)
            time.sleep(0.05)
        if not box:
            grab_screen(FAILED_SHOT)
            output = [open(os.path.join(self.logs, name), "rb").read() for name in ("stdout", "stderr")]
            self.fail(f"no box of {os.path.basename(exe)} (exit code {proc.poll()}, output {output}, "
                      f"windows {windows_of(exe)}, screen kept as {FAILED_SHOT})")
        self.assertEqual(splash_with_box, splash_of(exe) is not None, "the splash window with the box")
        reader = wine(ENV["TARN_BOX_READER"], CAPTION, "30")
        self.assertEqual(0, reader.returncode, f"no box captioned '{CAPTION}': {text(reader.stderr)}")
        # A key that reaches the box before it has the focus is lost: pressed again until the box goes.
        for _ in range(10):
            # xdotool may report the box gone before the key's release: only the box's end counts.
            subprocess.run(["xdotool", "key", "--window", box.id, "Return"], capture_output=True)
            for _ in range(30):
                if not box_of(exe):
                    return text(reader.stdout).rstrip("\n")
                time.sleep(0.1)
        self.fail("the box did not close on Return")


class SplashShotTest(WindowFixture):
    FRAMES = 4
    # At least one tick of the dot's timer between grabs.
    GAP_SECONDS = 0.07

    def grab_frames(self, exe, proc):
        """Grabs up to FRAMES screens showing the painted splash window while the run goes on: the frames and the
        number of grabs that did not show the picture centred (the last of them kept as FAILED_SHOT)."""
        frames = []
        unpainted = 0
        last = None
        seen = False
        deadline = time.monotonic() + 180
        while proc.poll() is None and len(frames) < self.FRAMES and time.monotonic() < deadline:
            window = splash_of(exe)
            if not window and (seen or box_of(exe)):
                break  # the extraction is over
            pid = window and window_process(window, proc)
            if not pid:
                time.sleep(0.01)
                continue
            seen = True
            with frozen(pid):
                if splash_of(exe) != window:
                    continue
                path = os.path.join(self.tmp, f"shot{len(frames)}.png")
                last = grab_screen(path)
            if is_painted(last):
                frames.append(path)
                time.sleep(self.GAP_SECONDS)
            else:
                unpainted += 1
                shutil.copy(path, FAILED_SHOT)
                time.sleep(0.02)
        return frames, unpainted

    def test_extraction_shows_the_centred_picture_with_the_dot_circling(self):
        payload = self.large_payload()
        exe = os.path.join(self.tmp, "shot-setup.exe")
        pack(exe, f"all:{payload}", splash=self.picture())
        target = os.path.join(self.tmp, "extracted")

        proc = self.start(exe, "--extract", "--path", win_path(target))
        frames, unpainted = self.grab_frames(exe, proc)
        # The splash is gone before the run reports the extraction.
        box_text = self.dismiss_box(exe, proc, splash_with_box=False)
        rc, out, err = self.finish(proc)

        self.assertGreaterEqual(len(frames), 2, f"{len(frames)} grabs of the splash window showed the centred "
                                f"picture, {unpainted} did not (the last kept as {FAILED_SHOT}); with too few grabs "
                                "in all, a larger TARN_PAYLOAD_MB keeps the window up longer")
        angles = []
        for path in frames:
            shot = splash_shot.read_shot(path)
            found = splash_shot.matching_angles(shot)
            if len(found) != 1:
                shutil.copy(path, FAILED_SHOT)
                problems = splash_shot.frame_problems(shot, 0)
                self.fail(f"{os.path.basename(path)} matches the angles {found}, not one (kept as {FAILED_SHOT}); "
                          f"against 0 degrees: {problems[:8]}")
            angles.append(found[0])
        print(f"frames grabbed at the angles {angles}", file=sys.stderr)
        self.assertGreater(len(set(angles)), 1, f"the dot did not move between grabs: {angles}")
        self.assertEqual((0, f"Files were extracted to: {win_path(target)}", "", ""), (rc, box_text, out, err))
        self.assertEqual(["payload.cab"], os.listdir(target))
        self.assertEqual(digest(payload), digest(os.path.join(target, "payload.cab")))


def png_chunk_types(png):
    """The chunk types of the PNG file @a png, in order."""
    with open(png, "rb") as f:
        data = f.read()
    types, i = [], 8
    while i < len(data):
        length = int.from_bytes(data[i:i + 4], "big")
        types.append(data[i + 4:i + 8].decode("ascii"))
        i += 12 + length
    return types, data[24], data[25]  # IHDR's bit depth and colour type follow width and height


def name_pixels(picture):
    """The pixels of the words on @a picture: those far from the background, which is taken row by row from the
    left edge (no word reaches it)."""
    found = []
    for y in range(picture.HEIGHT):
        background = picture.shown(0, y)
        for x in range(picture.WIDTH):
            if max(abs(a - b) for a, b in zip(picture.shown(x, y), background)) > 64:
                found.append((x, y))
    return found


class DemoSplashTest(WindowFixture):
    """The demo installer's own picture, in the file and on the screen."""
    # What the splash screen promises for an 800 x 200 picture: the dot's 10 x 10 box circles with radius 10 around
    # the point 80 pixels below the picture's centre.
    SIZE = (800, 200)
    DOT_BELOW_CENTRE = 80
    DOT_RADIUS = 10
    # Grabs of the raised window at most, 0.1 s apart, until FRAMES of them show a whole frame. One frame alone
    # may pass for another: a dot moved by whole pixels can sit where another angle puts it.
    GRABS = 60
    FRAMES = 5

    def setUp(self):
        super().setUp()
        self.png = ENV["TARN_DEMO_SPLASH"]
        self.picture = splash_shot.PngPicture(self.png)

    def orbit(self):
        """The square the dot's box can reach, in picture coordinates: (x0, y0, x1, y1), ends excluded."""
        cx, cy = self.picture.WIDTH // 2, self.picture.HEIGHT // 2 + self.DOT_BELOW_CENTRE
        reach = self.DOT_RADIUS + 5
        return cx - reach, cy - reach, cx + reach, cy + reach

    def test_picture_is_800_by_200_rgba_with_a_large_name_and_room_for_the_dot(self):
        types, depth, colour_type = png_chunk_types(self.png)
        self.assertEqual(self.SIZE, (self.picture.WIDTH, self.picture.HEIGHT))
        self.assertEqual((8, 6), (depth, colour_type), "8-bit RGBA")
        self.assertEqual(("IHDR", "IEND"), (types[0], types[-1]))
        self.assertEqual(set(), set(types) - {"IHDR", "IDAT", "IEND"}, "no time stamp or other text in the file")
        # The same bytes on every build, and the demo installer carries exactly these.
        again = os.path.join(self.tmp, "again.png")
        subprocess.run([ENV["TARN_MAKE_DEMO_SPLASH"], again], check=True, capture_output=True)
        carried = subprocess.run(["wrestool", "-x", "--raw", "-t", "PNG", "-n", "102", ENV["TARN_DEMO_SETUP"]],
                                 check=True, capture_output=True).stdout
        self.assertEqual(digest(self.png), digest(again), "drawn twice, different bytes")
        self.assertEqual(digest(self.png), hashlib.sha256(carried).hexdigest(), "the demo installer's PNG 102")

        name = name_pixels(self.picture)
        xs, ys = [x for x, _ in name], [y for _, y in name]
        x0, y0, x1, y1 = self.orbit()
        self.assertGreaterEqual(max(xs) - min(xs), self.picture.WIDTH * 3 // 8, "a name across the picture")
        self.assertGreaterEqual(max(ys) - min(ys), self.picture.HEIGHT // 4, "type this tall at least")
        self.assertLess(max(ys), y0, "the words stay above the dot's orbit")
        self.assertLessEqual(y1, self.picture.HEIGHT, "the orbit inside the picture")
        dark_blue = [(x, y) for y in range(self.picture.HEIGHT) for x in range(self.picture.WIDTH)
                     if self.picture.shown(x, y) == splash_shot.DOT]
        self.assertEqual([], dark_blue[:5], "the dot's colour in the picture")

    def grab_raised_splash(self, exe, proc):
        """Waits for the message box of @a exe, raises the splash window above it and grabs the screen until
        FRAMES grabs showed a whole frame (the dot's timer repaints the window): those grabs and the last one."""
        deadline = time.monotonic() + 120
        while not box_of(exe) and proc.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        window = splash_of(exe, self.picture)
        pid = window and window_process(window, proc)
        frames, shot = [], None
        for _ in range(self.GRABS if pid else 0):
            # Again before every grab: Wine puts the box back on top when it activates it.
            subprocess.run(["xdotool", "windowraise", window.id], check=True, capture_output=True)
            time.sleep(0.1)
            with frozen(pid):
                shot = grab_screen_raw()
            if splash_shot.matching_angles(shot, self.picture):
                frames.append(shot)
                if len(frames) == self.FRAMES:
                    break
        return frames, shot

    def check_frame(self, shot):
        """Checks that @a shot shows the demo's picture centred with the dot where the splash screen promises it;
        returns the angles whose frame it shows."""
        left, top = shot.picture_origin(self.picture)
        name = name_pixels(self.picture)
        wrong = [(x, y) for x, y in name if shot.at(left + x, top + y) != self.picture.shown(x, y)]
        self.assertEqual([], wrong[:10], f"{len(wrong)} of the name's {len(name)} pixels differ on the screen")
        dot = [(x - left, y - top) for y in range(shot.height) for x in range(shot.width)
               if shot.at(x, y) == splash_shot.DOT]
        self.assertTrue(dot, "no dot on the screen")
        x0, y0, x1, y1 = self.orbit()
        self.assertEqual([], [p for p in dot if not (x0 <= p[0] < x1 and y0 <= p[1] < y1)][:10],
                         "dark blue outside the dot's orbit")
        cx, cy = sum(x for x, _ in dot) / len(dot), sum(y for _, y in dot) / len(dot)
        off = math.hypot(cx - self.picture.WIDTH / 2, cy - (self.picture.HEIGHT / 2 + self.DOT_BELOW_CENTRE))
        self.assertTrue(self.DOT_RADIUS - 2.5 <= off <= self.DOT_RADIUS + 1,
                        f"the dot's centre ({cx:.1f}, {cy:.1f}) is {off:.1f} px from the point "
                        f"{self.DOT_BELOW_CENTRE} px below the picture's centre, not about {self.DOT_RADIUS}")
        # A dot one pixel off may fit two neighbouring angles, whose boxes differ by a pixel row the ellipse
        # leaves empty.
        angles = splash_shot.matching_angles(shot, self.picture)
        self.assertTrue(angles, f"the grab matches no frame; against 0 degrees: "
                        f"{splash_shot.frame_problems(shot, 0, self.picture)[:8]}")
        return tuple(angles)

    def test_demo_splash_shows_its_picture_with_the_dot_below_the_name(self):
        # A file where the extraction directory should go: the run reports it in a box while the splash window
        # stays up, so the window can be grabbed at leisure (the demo's own payload is extracted in a moment).
        exe = ENV["TARN_DEMO_SETUP"]
        occupied = os.path.join(self.tmp, "occupied")
        with open(occupied, "wb") as f:
            f.write(b"a file where the extraction directory should go\n")

        wait_for_wineserver()
        proc = self.start(exe, "--path", win_path(occupied))
        frames, last = self.grab_raised_splash(exe, proc)
        box_text = self.dismiss_box(exe, proc, splash_with_box=True)
        rc, out, err = self.finish(proc)

        self.assertIsNotNone(last, "no splash window of the demo to grab")
        angles = []
        for shot in frames + ([] if len(frames) == self.FRAMES else [last]):
            try:
                angles.append(self.check_frame(shot))
            except AssertionError:
                subprocess.run(["convert", "-size", f"{shot.width}x{shot.height}", "-depth", "8", "rgb:-",
                                FAILED_SHOT], input=shot.data, check=True)
                print(f"the grab is kept as {FAILED_SHOT}", file=sys.stderr)
                raise
        print(f"the demo's splash grabbed at {angles} degrees", file=sys.stderr)
        self.assertEqual(self.FRAMES, len(frames), f"only {len(frames)} grabs showed a whole frame")
        self.assertGreater(len(set(angles)), 1, f"the dot did not move between grabs: {angles}")
        self.assertEqual((1, f"Failed to create extraction path '{win_path(occupied)}': ERR_ALREADY_EXISTS", "", ""),
                         (rc, box_text, out, err))


class SilentTest(WindowFixture):
    def test_silent_installation_shows_no_window(self):
        exe = os.path.join(self.tmp, "silent-setup.exe")
        pack(exe, f"amd64:{AMD64_MSI}",
             f"all:{self.large_payload()}", splash=self.picture())
        temp_before = temp_entries()

        proc = self.start(exe, "--silent")
        seen, polls = set(), 0
        while proc.poll() is None:
            seen |= {(w.name, w.width, w.height) for w in windows_of(exe)}
            polls += 1
            time.sleep(0.01)
        rc, out, err = self.finish(proc)
        print(f"{polls} looks at the window list during the run", file=sys.stderr)

        self.assertEqual(set(), seen)
        self.assertGreater(polls, 20, "the run ended before its windows could be watched")
        self.assertEqual((0, "", ""), (rc, out, err))
        self.assertEqual(temp_before, temp_entries())


class ErrorBoxTest(WindowFixture):
    def test_error_box_is_dismissed_with_a_key_and_the_run_fails_cleanly(self):
        # With a picture: the box shows over the splash window, which must not take the key.
        exe = os.path.join(self.tmp, "box-setup.exe")
        pack(exe, f"all:{COMMON_CAB}", splash=self.picture())
        occupied = os.path.join(self.tmp, "occupied")
        write(occupied, b"a file where the extraction directory should go\n")
        # (name, arguments, box text, how the run is held back, whether the splash has started by then)
        cases = [
            ("file in place of the extraction directory", ["--path", win_path(occupied)],
             f"Failed to create extraction path '{win_path(occupied)}': ERR_ALREADY_EXISTS", contextlib.nullcontext,
             True),
            ("another installer running", ["--path", win_path(os.path.join(self.tmp, "refused"))],
             "Another installer is already running", functools.partial(holding, ENV["TARN_HOLD_MUTEX"]), False),
        ]
        for name, args, want_text, condition, splash_with_box in cases:
            with self.subTest(name):
                wait_for_wineserver()
                before = tree(self.tmp)
                temp_before = temp_entries()
                with condition():
                    proc = self.start(exe, *args)
                    try:
                        box_text = self.dismiss_box(exe, proc, splash_with_box)
                        rc, out, err = self.finish(proc, timeout=60)
                    finally:
                        # A box left open would hold the mutex and the prefix for the next case.
                        self.stop_if_running(proc)
                self.assertEqual((1, want_text, "", ""), (rc, box_text, out, err))
                self.assertEqual(before, tree(self.tmp))
                self.assertEqual(temp_before, temp_entries())


if __name__ == "__main__":
    unittest.main()
