#!/usr/bin/env python3
"""Windows of whole runs: packed installers under Wine on a virtual display,
watched from the X side the way a user would see them.

- An interactive extraction of a large payload shows the splash screen: the
  screen is grabbed while the window is up (the installer frozen for the
  moment of the grab) and each grab must show the test picture centred on the
  screen with the dot exactly where one of the angles 0, 10, ..., 350 puts
  it; the dot moves between grabs.
- A silent run of a large payload never shows a window of its own.
- An interactive error is a message box found by its caption, read, and
  dismissed with a key press; the installer then exits with 1 and leaves
  nothing behind.

Run under a virtual display (xvfb-run -a -s "-screen 0 1024x768x24"), in a
Wine prefix of its own whose windows are unmanaged (no window manager runs).

Environment (set by CMake): TARN_PACK, TARN_STUB_KIT, TARN_TEST_MSI_DIR,
TARN_WINE_RUN, TARN_BUILD_DIR, TARN_WINEPREFIX, TARN_HOLD_MUTEX,
TARN_BOX_READER; TARN_PAYLOAD_MB (default 192) sizes the large payload.
"""
import collections
import contextlib
import functools
import hashlib
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
    out = subprocess.run(["xwininfo", "-root", "-children"], check=True, capture_output=True, text=True).stdout
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


def splash_of(exe):
    """The splash window of @a exe: captioned like the installer, of the picture's size; None when not shown."""
    for w in windows_of(exe):
        if w.name == CAPTION and (w.width, w.height) == (splash_picture.WIDTH, splash_picture.HEIGHT):
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


def is_painted(shot):
    """Whether the picture shows at the centre, judged by pixels far from the dot (a fresh window may be blank)."""
    left, top = shot.picture_origin()
    corners = [(20, 20), (splash_picture.WIDTH - 1, 0), (0, splash_picture.HEIGHT - 1),
               (splash_picture.WIDTH - 1, splash_picture.HEIGHT - 1)]
    return all(shot.at(left + x, top + y) == splash_picture.shown(x, y) for x, y in corners)


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
