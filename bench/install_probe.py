#!/usr/bin/env python3
"""Times a setup's installation under Wine from outside, for the benchmarks.

  install_probe.py click BUTTON_X BUTTON_Y WINDOW_X WINDOW_Y TEMP INSTALLED [GIVE_UP_SECONDS]
      Moves the pointer over Install, notes a monotonic clock and clicks, then polls two pixels of
      the window every 5 ms until both show the blue of the finish picture's logo. Notes when the
      payload copy and the decoded archive appear in TEMP and go, and when INSTALLED/install.log is
      written, with the CPU times of the setup's process, its main thread and the wineserver at
      each point. Prints key=value pairs, among them hwm (the setup process's VmHWM, KiB), base
      (its VmRSS before the click) and anon (its largest RssAnon seen). Gives up after
      GIVE_UP_SECONDS (600 unless given).
  install_probe.py run COMMAND...
      Times a command to its end with its peak resident size and CPU time.
  install_probe.py busy
      How many cores the rest of the machine keeps busy over one second.

WINEPREFIX names the prefix whose processes are looked at.
"""
import ctypes, os, subprocess, sys, time

PREFIX = os.environ["WINEPREFIX"]
TICK = os.sysconf("SC_CLK_TCK")


def find_pid(image):
    """The process of this prefix whose command line names the image (Wine shows the .exe there)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            cmd = open(f"/proc/{entry}/cmdline", "rb").read().decode("utf-8", "replace")
            env = open(f"/proc/{entry}/environ", "rb").read().split(b"\0")
        except OSError:
            continue
        if image in cmd and b"WINEPREFIX=" + PREFIX.encode() in env:
            return int(entry)
    return None


def cpu(pid):
    try:
        fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICK
    except (OSError, TypeError):
        return float("nan")


def status(pid, key):
    try:
        for line in open(f"/proc/{pid}/status"):
            if line.startswith(key + ":"):
                return int(line.split()[1])
    except OSError:
        pass
    return 0


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class Screen:
    def __init__(self):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            sys.exit("probe: cannot open the display")
        self.root = self.x.XDefaultRootWindow(self.display)

    def pixel(self, px, py):
        image = self.x.XGetImage(self.display, self.root, px, py, 1, 1, (1 << 64) - 1, 2)  # ZPixmap
        i = image.contents
        assert i.bits_per_pixel == 32 and i.byte_order == 0, "a 32-bit LSB-first screen is expected"
        value = ctypes.c_uint32.from_address(i.data).value
        rgb = tuple((value & m) >> ((m & -m).bit_length() - 1) for m in (i.red_mask, i.green_mask, i.blue_mask))
        self.x.XFree(i.data)
        self.x.XFree(image)
        return rgb


def thread(pid):
    """The main thread's CPU and run-queue wait in seconds and its voluntary switches (each wait
    for the wineserver's reply, the X server, a sleep or the disk is one)."""
    try:
        on_cpu, queued = map(int, open(f"/proc/{pid}/task/{pid}/schedstat").read().split()[:2])
        switches = status(f"{pid}/task/{pid}", "voluntary_ctxt_switches")
        return on_cpu / 1e9, queued / 1e9, switches
    except OSError:
        return float("nan"), float("nan"), 0


def click(button_x, button_y, wx, wy, temp, installed, give_up=600):
    pid, server = find_pid("VelmoraSetup.exe"), find_pid("wineserver")
    screen = Screen()
    # Two points of the finish picture's logo (window coordinates); the progress page has its
    # background there, away from its labels and its bar.
    points = [(wx + 60, wy + 190), (wx + 110, wy + 180)]
    logo = (30, 110, 199)
    finished = lambda: all(max(abs(a - b) for a, b in zip(screen.pixel(*p), logo)) <= 30 for p in points)
    if finished():
        sys.exit("probe: the finish picture's blue is on the screen before the click")
    copy, archive = os.path.join(temp, "kestrin.setupfile.~tmp"), os.path.join(temp, "kestrin.setupfile.~tmp~")
    log = os.path.join(installed, "install.log")
    subprocess.run(["xdotool", "mousemove", str(button_x), str(button_y)], check=True)
    time.sleep(0.5)
    base_rss, base_anon = status(pid, "VmRSS"), status(pid, "RssAnon")

    def snap(at):  # elapsed, process CPU, main thread CPU, run-queue wait, switches, server CPU
        return (at, cpu(pid), *thread(pid), cpu(server))
    marks, peak_anon = {}, 0
    t0 = time.monotonic()
    marks["click"] = snap(0.0)
    subprocess.run(["xdotool", "click", "1"], check=True)
    while True:
        now = time.monotonic() - t0
        copy_there, archive_there = os.path.exists(copy), os.path.exists(archive)

        def note(name, happened):
            if happened and name not in marks:
                marks[name] = snap(now)
        note("copy", copy_there)
        note("decoding", archive_there)
        note("saved", archive_there and not copy_there)
        note("extracted", os.path.exists(log))
        peak_anon = max(peak_anon, status(pid, "RssAnon"))
        if finished():
            marks["finish"] = snap(time.monotonic() - t0)
            break
        if now > give_up:
            sys.exit(f"probe: no finish page after {give_up} s")
        time.sleep(0.005)
    fields = dict(hwm=status(pid, "VmHWM"), base=base_rss, base_anon=base_anon, anon=peak_anon, pid=pid)
    for name, values in marks.items():
        for key, value in zip(("t", "cpu", "main", "queued", "switches", "server"), values):
            fields[f"{name}.{key}"] = round(value, 4)
    print(" ".join(f"{k}={v}" for k, v in fields.items()))


def run(command):
    server = find_pid("wineserver")
    server0 = cpu(server) if server else 0.0
    t0 = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    last = thread(child.pid)
    while True:  # the main thread's figures are read until it ends
        done, code, usage = os.wait4(child.pid, os.WNOHANG)
        if done:
            break
        figures = thread(child.pid)
        if figures[0] == figures[0]:
            last = figures
        time.sleep(0.005)
    wall = time.monotonic() - t0
    if code != 0:
        sys.exit(f"probe: {command[0]} ended with status {code}")
    server1 = cpu(server) if server else 0.0
    print(f"wall={wall} cpu={usage.ru_utime + usage.ru_stime} server={server1 - server0} hwm={usage.ru_maxrss} "
          f"queued={last[1]} switches={last[2]}")


def busy():
    """How many cores the machine keeps busy over one second (others' work while ours is idle)."""
    def sample():
        f = list(map(int, open("/proc/stat").readline().split()[1:]))
        return sum(f), f[3] + f[4]
    total0, idle0 = sample()
    time.sleep(1)
    total1, idle1 = sample()
    print(f"{(1 - (idle1 - idle0) / (total1 - total0)) * os.cpu_count():.2f}")


if sys.argv[1] == "click":
    click(*map(int, sys.argv[2:6]), *sys.argv[6:8], *map(int, sys.argv[8:9]))
elif sys.argv[1] == "busy":
    busy()
else:
    run(sys.argv[2:])
