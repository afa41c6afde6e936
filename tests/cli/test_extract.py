"""velmora-pack list and extract, checked against ZIP archives from independent writers.

VELMORA_PACK names the tool to test. VELMORA_ZIP_FIXTURES names the folder written by
tests/fixtures/make_zip_fixtures.py; when it is unset the fixtures are made in a temporary folder.
Archives from other projects' test suites are read from shared/testdata/zip beside the repository
when that folder exists.
"""
import glob
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib

PACK = os.environ.get("VELMORA_PACK", "velmora-pack")
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SHARED = os.path.join(os.path.dirname(REPO), "shared", "testdata", "zip")
FIXTURES = os.environ.get("VELMORA_ZIP_FIXTURES", "")
_made_fixtures = None


def setUpModule():
    global FIXTURES, _made_fixtures
    if not FIXTURES:
        _made_fixtures = FIXTURES = tempfile.mkdtemp(prefix="velmora-zip-fixtures-")
        script = os.path.join(REPO, "tests", "fixtures", "make_zip_fixtures.py")
        subprocess.run([sys.executable, script, FIXTURES], check=True)


def tearDownModule():
    if _made_fixtures:
        shutil.rmtree(_made_fixtures)


def fixture(name):
    return os.path.join(FIXTURES, name)


def manifest():
    with open(fixture("manifest.json"), encoding="utf-8") as f:
        return {item["archive"]: item for item in json.load(f)}


def run(*args):
    # A hang on a malformed archive is a fault too, hence the timeout.
    return subprocess.run([PACK, *args], capture_output=True, text=True, encoding="utf-8",
                          errors="replace", stdin=subprocess.DEVNULL, timeout=120)


def digest(data):
    return len(data), hashlib.sha256(data).hexdigest()


def snapshot(root):
    """Files under root as {path: (size, sha256)} and the set of folders, paths with "/"."""
    files, dirs = {}, set()
    for dirpath, dirnames, filenames in os.walk(root):
        rel = os.path.relpath(dirpath, root).replace(os.sep, "/")
        prefix = "" if rel == "." else rel + "/"
        dirs.update(prefix + d for d in dirnames)
        for n in filenames:
            with open(os.path.join(dirpath, n), "rb") as f:
                files[prefix + n] = digest(f.read())
    return files, dirs


def manifest_tree(item):
    files = {e["path"]: (e["size"], e["sha256"]) for e in item["entries"] if not e["dir"]}
    dirs = {e["path"] for e in item["entries"] if e["dir"]}
    return files, dirs


def entry_name(info):
    """The name as the engine reads it: UTF-8 under flag bit 11, else the Unicode path record
    (0x7075) when its CRC matches the stored name, else GBK. Names are kept in code page 936, so
    a name without a GBK form raises UnicodeError."""
    if info.flag_bits & 0x800:
        name = info.orig_filename
    else:
        raw = info.orig_filename.encode("cp437")  # zipfile decoded it as cp437, which maps every byte
        name, extra, pos = None, info.extra, 0
        while pos + 4 <= len(extra) and name is None:
            tag, size = struct.unpack_from("<HH", extra, pos)
            if tag == 0x7075 and size >= 5 and extra[pos + 4] == 1 \
                    and struct.unpack_from("<I", extra, pos + 5)[0] == zlib.crc32(raw):
                name = extra[pos + 9:pos + 4 + size].decode("utf-8")
            pos += 4 + size
        name = name if name is not None else raw.decode("gbk")
    name.encode("gbk")
    return name.replace("\\", "/")


def zipfile_view(path):
    """What Python's zipfile reads from an archive that unzip -t also accepts and that holds only
    unencrypted stored and deflated entries: a list of (ZipInfo, data), or None."""
    if subprocess.run(["unzip", "-tq", path], capture_output=True).returncode != 0:
        return None
    try:
        with zipfile.ZipFile(path) as z:
            infos = z.infolist()
            if any(i.flag_bits & 1 or i.compress_type not in (0, 8) for i in infos):
                return None
            return [(i, z.read(i)) for i in infos]
    except Exception:  # anything zipfile cannot read is only checked for a clean run
        return None


class ExtractTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="velmora-extract-test-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def extract(self, archive, *options, existing=None):
        """Extracts into a fresh DESTDIR, optionally holding files already, inside a folder of its
        own, and checks that nothing was written beside DESTDIR."""
        parent = tempfile.mkdtemp(dir=self.dir)
        dest = os.path.join(parent, "dest")
        os.mkdir(dest)
        for rel, data in (existing or {}).items():
            with open(os.path.join(dest, rel), "wb") as f:
                f.write(data)
        r = run("extract", archive, dest, *options)
        self.assertEqual(os.listdir(parent), ["dest"], "written outside DESTDIR\n" + r.stdout)
        return r, dest

    def assertTree(self, dest, files, dirs=()):
        """The files under dest are exactly files; a folder may exist only as a folder entry or
        as the parent of a file."""
        got_files, got_dirs = snapshot(dest)
        self.assertEqual(got_files, files)
        parents = {p.rsplit("/", 1)[0] for p in list(files) + list(dirs) if "/" in p}
        allowed = set(dirs)
        for p in parents:
            parts = p.split("/")
            allowed.update("/".join(parts[:k]) for k in range(1, len(parts) + 1))
        self.assertLessEqual(got_dirs, allowed)

    def make_zip(self, name, members):
        path = os.path.join(self.dir, name)
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
            for member, data in members.items():
                z.writestr(zipfile.ZipInfo(member, (2024, 1, 2, 3, 4, 6)), data)
        return path

    def test_good_fixtures_extract_exactly(self):
        # Includes zip64-count: its end record counts are 0xFFFF, the zip64 record holds the truth.
        for item in manifest().values():
            if item["expect"] != "ok":
                continue
            with self.subTest(item["archive"]):
                r, dest = self.extract(fixture(item["archive"]))
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertTree(dest, *manifest_tree(item))

    def test_split_and_damaged_archives(self):
        # archive named, options, manifest item
        cases = [
            ("split.zip", [], "split.zip"),        # the last part of a split set with standard names
            ("classic.004", [], "split.zip"),      # the same parts under classic numbered names
            ("recover-cut.zip", ["--recover"], "recover-cut.zip"),
            ("sfx-junk.exe", ["--recover"], "sfx-junk.exe"),
        ]
        items = manifest()
        for name, options, item in cases:
            with self.subTest(name):
                r, dest = self.extract(fixture(name), *options)
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertTree(dest, *manifest_tree(items[item]))
        # Without --recover an archive without end record is refused, and says why.
        r, _ = self.extract(fixture("recover-cut.zip"))
        self.assertEqual(r.returncode, 2)
        self.assertIn("EIncompleteZip", r.stderr)

    @unittest.skipUnless(os.path.isdir(SHARED), "no shared/testdata/zip beside the repository")
    def test_shared_corpus_matches_zipfile(self):
        for path in sorted(glob.glob(os.path.join(SHARED, "*"))):
            if not path.lower().endswith(".zip"):
                continue
            with self.subTest(os.path.basename(path)):
                r, dest = self.extract(path)
                self.assertIn(r.returncode, (0, 1, 2), r.stderr)
                view = zipfile_view(path)
                if view is None:
                    continue  # other methods, encryption or damage: a clean run is all we ask
                files, dirs, unsafe = {}, set(), False
                for info, data in view:
                    try:
                        name = entry_name(info)
                    except UnicodeError:
                        raw = info.orig_filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
                        self.skipTest("name %r has no GBK form" % raw)
                    if ".." in name.split("/"):
                        unsafe = True
                    elif name.endswith("/"):
                        dirs.add(name.rstrip("/"))
                    else:
                        files[name] = digest(data)  # a later entry of the same name replaces it
                below_a_file = tuple(f + "/" for f in files)
                if files.keys() & dirs or any(p.startswith(below_a_file) for p in [*files, *dirs]):
                    self.skipTest("a file and a folder share a name")
                self.assertEqual(r.returncode, 1 if unsafe else 0, r.stdout + r.stderr)
                self.assertTree(dest, files, dirs)

    def test_faults(self):
        # archive, exit code (None: any clean one), text in stdout, text in stderr,
        # the files written (None: not checked), compared with the manifest
        cases = [
            ("crc-mismatch.zip", 1, "bad CRC", "", {"intact.txt"}),
            ("stored-longer.zip", 1, "", "", {"after.txt"}),
            ("truncated-entry.zip", 2, "", "Premature end of file reached", None),
            # Two central headers for one local header: the catalogue is rebuilt from the local
            # headers, and the second header's data lands on the first local header, whose bytes
            # then fail its CRC; the true second.txt comes out of its own local header.
            ("dup-offset.zip", 1, "bad CRC", "", {"second.txt"}),
            ("corrupt-deflate.zip", 2, "", "EZCompressionError", None),
            ("dotdot.zip", 1, "skipped", "", {"good.txt"}),
            ("sig-in-comment.zip", None, "", "", None),
        ]
        items = manifest()
        for archive, code, out, err, written in cases:
            with self.subTest(archive):
                r, dest = self.extract(fixture(archive))
                self.assertIn(r.returncode, (0, 1, 2) if code is None else (code,), r.stdout + r.stderr)
                self.assertIn(out, r.stdout)
                self.assertIn(err, r.stderr)
                if written is not None:
                    files, _ = manifest_tree(items[archive])
                    self.assertTree(dest, {p: files[p] for p in written})

    def test_hostile_names_stay_inside_destdir(self):
        # Entry k holds "entry k\r\n"; 0-6 lose their root, drive or device-namespace prefix (UNC
        # names keep server and share as folders), 7-18 are refused, 20 (case.TXT) replaces 19
        # (Case.txt) as it would on Windows.
        r, dest = self.extract(fixture("hostile-names.zip"))
        self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
        self.assertEqual(r.stdout.count("skipped (cannot be created)"), 12, r.stdout)
        kept = {0: "root.txt", 1: "back.txt", 2: "rel.txt", 3: "abs.txt", 4: "server/share/unc.txt",
                5: "server/share/unc2.txt", 6: "long.txt", 20: "Case.txt", 21: "kept.txt"}
        self.assertTree(dest, {name: digest(b"entry %d\r\n" % k) for k, name in kept.items()})

    def test_list_agrees_with_zipfile(self):
        for archive in ("infozip-deflate.zip", "infozip-gbk.zip", "python-utf8.zip"):
            with self.subTest(archive):
                r = run("list", fixture(archive))
                self.assertEqual(r.returncode, 0, r.stderr)
                rows = [line.split(None, 8) for line in r.stdout.splitlines()[1:] if line.strip()]
                listed = {}
                for _, method, csize, usize, crc, date, time_, attr, name in rows:
                    listed[name.rstrip("/")] = (int(method), int(csize), int(usize), crc, date, time_,
                                                int(attr, 16))  # all 32 bits of the attributes
                with zipfile.ZipFile(fixture(archive), metadata_encoding="gbk") as z:
                    want = {i.filename.rstrip("/"): (
                        i.compress_type, i.compress_size, i.file_size, "%08x" % i.CRC,
                        "%04d-%02d-%02d" % i.date_time[:3], "%02d:%02d:%02d" % i.date_time[3:],
                        i.external_attr) for i in z.infolist()}
                self.assertEqual(len(rows), len(want))
                self.assertEqual(listed, want)

    def test_overwrite_modes(self):
        old, new, other = b"already here\r\n", b"from the archive\r\n", b"not there before\r\n"
        archive = self.make_zip("note.zip", {"note.txt": new, "other.txt": other})
        cases = [([], new, 0), (["--overwrite", "always"], new, 0), (["--overwrite", "never"], old, 1)]
        for options, kept, code in cases:
            with self.subTest(options):
                r, dest = self.extract(archive, *options, existing={"note.txt": old})
                self.assertEqual(r.returncode, code, r.stdout + r.stderr)
                self.assertTree(dest, {"note.txt": digest(kept), "other.txt": digest(other)})
                if code:
                    self.assertIn("skipped", r.stdout)

    def test_flat_puts_every_file_in_destdir(self):
        members = {"a/": b"", "a/one.txt": b"1", "b/": b"", "b/c/": b"", "b/c/two.txt": b"22",
                   "three.txt": b"333"}
        r, dest = self.extract(self.make_zip("nested.zip", members), "--flat")
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual(snapshot(dest), ({"one.txt": digest(b"1"), "two.txt": digest(b"22"),
                                           "three.txt": digest(b"333")}, set()))

    def test_setup_payload_lists_and_extracts(self):
        product = {"Station.ini": b"[UserData]\r\n", "文档/乗/数据.bin": bytes(range(256)) * 8,
                   "empty.dat": b""}
        source = os.path.join(self.dir, "product")
        for rel, data in product.items():
            os.makedirs(os.path.dirname(os.path.join(source, rel)), exist_ok=True)
            with open(os.path.join(source, rel), "wb") as f:
                f.write(data)
        stub, setup = os.path.join(self.dir, "stub.exe"), os.path.join(self.dir, "setup.exe")
        with open(stub, "wb") as f:
            f.write(b"MZ" + bytes(510))
        r = run("build", "--stub", stub, "--from", source, "--out", setup)
        self.assertEqual(r.returncode, 0, r.stderr)

        r = run("list", setup)
        self.assertEqual(r.returncode, 0, r.stderr)
        names = {line.split(None, 8)[8] for line in r.stdout.splitlines()[1:] if line.strip()}
        self.assertEqual(names, set(product))
        r, dest = self.extract(setup)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertTree(dest, {p: digest(d) for p, d in product.items()})


if __name__ == "__main__":
    unittest.main()
