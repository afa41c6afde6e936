"""velmora-pack end to end: build, inspect and unpack on real folders, checked with Python's zipfile
and Info-ZIP's unzip, and its errors on bad input.

VELMORA_PACK names the tool to test.
"""
import lzma
import os
import random
import resource
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import zipfile
import zlib

PACK = os.environ.get("VELMORA_PACK", "velmora-pack")

# Names chosen for the codec: nested folders, a GBK trail byte of 0x5C (乗), and plain ASCII.
PRODUCT = {
    "Station.ini": b"[UserData]\r\npath=\r\n",
    "说明.txt": "Velmora 演示产品\r\n".encode("gbk"),
    "文档/用户手册.txt": b"manual " * 1000,
    "文档/乗/深层/数据.bin": bytes(range(256)) * 40,
    "empty.dat": b"",
}


def run(*args, env=None):
    return subprocess.run([PACK, *args], capture_output=True, text=True, env=env)


def make_tree(root, files):
    for rel, data in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def make_stub(path):
    """A stand-in executable image: any bytes do, the payload is found from the end."""
    with open(path, "wb") as f:
        f.write(b"MZ" + bytes(510))


def sanitized(program):
    """Whether the program is built with AddressSanitizer (its runtime may be a shared library)."""
    with open(program, "rb") as f:
        return b"__asan_init" in f.read()


def write_large_setup(path, files, file_size):
    """A setup whose archive holds `files` stored files of `file_size` bytes, written and packed a
    chunk at a time: the files repeat a 4 KiB pattern, so the fastest LZMA preset packs a GiB in
    seconds. Returns the names and the size."""
    pattern = random.Random(7).randbytes(4096)
    chunk = pattern * 256  # 1 MiB
    names = [f"large/part{i:02}.bin" for i in range(files)]
    crcs = []
    for i in range(files):
        crc = zlib.crc32(bytes([i]) + chunk[1:])
        for _ in range(file_size // len(chunk) - 1):
            crc = zlib.crc32(chunk, crc)
        crcs.append(crc)
    local = [struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x21, crcs[i], file_size, file_size,
                         len(n), 0) + n.encode() for i, n in enumerate(names)]
    central, offset = b"", 0
    for i, n in enumerate(names):
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, 0, 0, 0, 0x21, crcs[i], file_size,
                               file_size, len(n), 0, 0, 0, 0, 0x20, offset) + n.encode()
        offset += len(local[i]) + file_size
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, files, files, len(central), offset, 0)
    length = offset + len(central) + len(end)
    compressor = lzma.LZMACompressor(lzma.FORMAT_RAW, filters=[
        {"id": lzma.FILTER_LZMA1, "preset": 0, "dict_size": 1 << 20, "lc": 3, "lp": 0, "pb": 2}])
    with open(path, "wb") as f:
        f.write(b"MZ" + bytes(510))
        block = bytes([0x5D]) + struct.pack("<I", 1 << 20)
        f.write(block)
        packed = len(block)

        def put(data):
            nonlocal packed
            out = compressor.compress(data)
            f.write(out)
            packed += len(out)

        put(struct.pack("<I", length))
        for i in range(files):
            put(local[i])
            put(bytes([i]) + chunk[1:])
            for _ in range(file_size // len(chunk) - 1):
                put(chunk)
        put(central + end)
        out = compressor.flush()
        f.write(out)
        f.write(struct.pack("<I", packed + len(out) + 4))
    return names, file_size


class PackTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="velmora-pack-test-")
        self.product = os.path.join(self.dir, "product")
        make_tree(self.product, PRODUCT)
        self.stub = os.path.join(self.dir, "stub.exe")
        make_stub(self.stub)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def build(self, out, *extra, env=None):
        r = run("build", "--stub", self.stub, "--from", self.product, "--out", out, *extra, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        return r

    def assertNothingLeft(self, *names):
        for name in names:
            self.assertFalse(os.path.exists(self.path(name)), name)
        self.assertEqual([n for n in os.listdir(self.dir) if ".part-" in n or n.startswith("velmora-pack-")], [])

    def test_round_trip_reproduces_the_folder(self):
        setup, archive = self.path("setup.exe"), self.path("out.zip")
        self.build(setup)
        r = run("unpack", setup, archive)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(subprocess.run(["unzip", "-tq", archive], capture_output=True).returncode, 0)

        with open(setup, "rb") as f:
            self.assertEqual(f.read(512), b"MZ" + bytes(510))
        with zipfile.ZipFile(archive, metadata_encoding="gbk") as z:
            infos = z.infolist()
            names = [i.filename for i in infos]
            self.assertEqual(names, sorted(PRODUCT, key=lambda n: n.encode("gbk")))
            for info in infos:
                self.assertEqual(z.read(info), PRODUCT[info.filename])
                self.assertEqual(info.compress_type, zipfile.ZIP_STORED)
                self.assertEqual(info.flag_bits & 0x800, 0)
                self.assertEqual(info.external_attr, 0x20)
                self.assertEqual(info.extra, b"")
                mtime = time.localtime(os.path.getmtime(os.path.join(self.product, info.filename)))
                self.assertEqual(info.date_time, mtime[:5] + (mtime.tm_sec // 2 * 2,))

    def test_reproducible_and_source_date_epoch(self):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")  # 2023-11-14 22:13:20 UTC
        self.build(self.path("a.exe"), env=env)
        os.utime(os.path.join(self.product, "Station.ini"), (0, 1_000_000_000))
        self.build(self.path("b.exe"), env=env)
        with open(self.path("a.exe"), "rb") as a, open(self.path("b.exe"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        run("unpack", self.path("a.exe"), self.path("a.zip"))
        with zipfile.ZipFile(self.path("a.zip")) as z:
            self.assertEqual({i.date_time for i in z.infolist()}, {(2023, 11, 14, 22, 13, 20)})

    def test_inspect_reports_the_layout(self):
        setup = self.path("setup.exe")
        self.build(setup, "--dict-size", "65536")
        r = run("inspect", setup)
        self.assertEqual(r.returncode, 0, r.stderr)
        size = os.path.getsize(setup)
        with open(setup, "rb") as f:
            f.seek(-4, 2)
            (n,) = struct.unpack("<I", f.read())
        fields = dict(line.split(":", 1) for line in r.stdout.splitlines())
        fields = {k.strip(): v.strip() for k, v in fields.items()}
        # Zero padding behind the 512-byte stub makes the region end on an 8-byte boundary.
        self.assertEqual(size % 8, 0)
        self.assertIn(size - n - 512, range(8))
        with open(setup, "rb") as f:
            self.assertEqual(f.read(size - n)[512:], bytes(size - n - 512))
        self.assertEqual(fields["region start"], f"{size - n}  (not a PE image)")
        self.assertEqual(fields["region end"], f"{size}  (end of the file)")
        self.assertNotIn("certificate table", fields)
        self.assertEqual(fields["region size (N)"], str(n))
        self.assertEqual(fields["properties"], "0x5D (lc 3, lp 0, pb 2)")
        self.assertEqual(fields["dictionary size"], "65536")
        run("unpack", setup, self.path("out.zip"))
        self.assertEqual(fields["archive length"], str(os.path.getsize(self.path("out.zip"))))
        self.assertEqual(fields["entries"], str(len(PRODUCT)))

    def test_unpack_of_a_large_setup_needs_little_memory(self):
        if sanitized(PACK):
            self.skipTest("AddressSanitizer reserves more address space than the cap allows")
        setup, archive = self.path("large.exe"), self.path("large.zip")
        names, size = write_large_setup(setup, files=9, file_size=128 << 20)  # an archive of 1.1 GiB
        cap = 256 << 20
        # The payload goes through a private folder under TMPDIR, which must be gone afterwards.
        r = subprocess.run([PACK, "unpack", setup, archive], capture_output=True, text=True,
                           env={**os.environ, "TMPDIR": self.dir},
                           preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (cap, cap)))
        self.assertEqual(r.returncode, 0, r.stderr)
        with zipfile.ZipFile(archive) as z:
            self.assertEqual([(i.filename, i.file_size) for i in z.infolist()], [(n, size) for n in names])
            self.assertIsNone(z.testzip())
        self.assertNothingLeft()

    def test_bad_input_fails_cleanly(self):
        setup = self.path("setup.exe")
        self.build(setup)
        with open(setup, "rb") as f:
            good = f.read()
        corrupt = bytearray(good)
        corrupt[len(good) - struct.unpack("<I", good[-4:])[0] + 5] = 0xFF  # first range-coder byte
        with open(self.path("corrupt.exe"), "wb") as f:
            f.write(corrupt)
        with open(self.path("no-trailer.exe"), "wb") as f:
            f.write(good + b"SIGNATURE")  # anything behind the trailer hides it
        bad_name = os.path.join(self.dir, "bad-name")
        make_tree(bad_name, {"ok.txt": b"x", "smile-\U0001F600.txt": b"y"})
        # Names the setup could never install under their own name on Windows.
        unfit = {}
        for what, files in [("device", ["bin/aux.txt"]), ("dot", ["notes."]), ("char", ["what?.txt"]),
                            ("case", ["Readme.txt", "README.TXT"]), ("file-folder", ["lib", "LIB/x.dll"])]:
            unfit[what] = os.path.join(self.dir, "unfit-" + what)
            make_tree(unfit[what], {"ok.txt": b"x", **{f: b"y" for f in files}})

        cases = [
            ("missing stub", ["build", "--stub", self.path("nope.exe"), "--from", self.product, "--out", self.path("o.exe")], "nope.exe"),
            ("missing folder", ["build", "--stub", self.stub, "--from", self.path("nope"), "--out", self.path("o.exe")], "nope"),
            ("name outside GBK", ["build", "--stub", self.stub, "--from", bad_name, "--out", self.path("o.exe")], "smile-\U0001F600.txt"),
            ("device name", ["build", "--stub", self.stub, "--from", unfit["device"], "--out", self.path("o.exe")], "bin/aux.txt: Windows cannot hold"),
            ("name ending in a dot", ["build", "--stub", self.stub, "--from", unfit["dot"], "--out", self.path("o.exe")], "notes.: Windows cannot hold"),
            ("character Windows refuses", ["build", "--stub", self.stub, "--from", unfit["char"], "--out", self.path("o.exe")], "what?.txt: Windows cannot hold"),
            ("names differing only in case", ["build", "--stub", self.stub, "--from", unfit["case"], "--out", self.path("o.exe")], "differs only in letter case"),
            ("file and folder differing only in case", ["build", "--stub", self.stub, "--from", unfit["file-folder"], "--out", self.path("o.exe")], "differs only in letter case"),
            ("dictionary too large", ["build", "--stub", self.stub, "--from", self.product, "--out", self.path("o.exe"), "--dict-size", "33554433"], "--dict-size"),
            ("unpack without trailer", ["unpack", self.path("no-trailer.exe"), self.path("o.zip")], "no payload block"),
            ("inspect without trailer", ["inspect", self.path("no-trailer.exe")], "no valid payload trailer"),
            ("corrupt stream", ["unpack", self.path("corrupt.exe"), self.path("o.zip")], "ECompressDataError: lzma: 压缩数据已损坏 (5)"),
            ("inspect corrupt stream", ["inspect", self.path("corrupt.exe")], "ECompressDataError: lzma: 压缩数据已损坏 (5)"),
        ]
        for what, args, message in cases:
            with self.subTest(what):
                r = run(*args)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertIn(message, r.stderr)
                self.assertNothingLeft("o.exe", "o.zip")

    def test_archive_over_2_gib_is_refused_before_writing(self):
        big = os.path.join(self.dir, "big")
        os.makedirs(big)
        with open(os.path.join(big, "huge.bin"), "wb") as f:
            f.truncate(2**31 - 10)  # sparse: takes no disk space
        with open(os.path.join(big, "more.bin"), "wb") as f:
            f.truncate(100)
        r = run("build", "--stub", self.stub, "--from", big, "--out", self.path("o.exe"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("2 GiB", r.stderr)
        self.assertNothingLeft("o.exe")

    def test_usage(self):
        self.assertEqual(run("--help").returncode, 0)
        self.assertIn("build --stub", run("--help").stdout)
        self.assertEqual(run().returncode, 2)
        self.assertEqual(run("frobnicate").returncode, 2)
        self.assertEqual(run("build", "--stub", self.stub).returncode, 2)


if __name__ == "__main__":
    unittest.main()
