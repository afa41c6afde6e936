"""velmora-pack extract on the older compression methods and on encrypted archives, against 7-Zip
(or, for reduce, which no reference tool decodes, against the CRC-32 the engine checks).

VELMORA_PACK names the tool; VELMORA_CRYPTO_FIXTURES the encrypted fixtures with their manifest;
the shared archives sit in ../shared/testdata/zip beside the repository.
"""
import hashlib
import json
import os
import shutil
import subprocess
import tempfile
import unittest

PACK = os.environ.get("VELMORA_PACK", "velmora-pack")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SHARED = os.path.join(os.path.dirname(ROOT), "shared", "testdata", "zip")
CRYPTO = os.environ.get("VELMORA_CRYPTO_FIXTURES", "")

# Shared archives that 7-Zip decodes, with their documented passwords.
SEVEN_ZIP_ORACLE = {
    "sc-Zip.shrink.zip": None,
    "cc-SHRUNK.ZIP": None,
    "sc-Zip.implode.zip": None,
    "cc-imploding-4Kdict-2trees.zip": None,
    "cc-imploding-8Kdict-3trees.zip": None,
    "sc-zipcrypto.zip": "test",
    "la-traditional_encryption_data.zip": "12345678",
    "la-winzip_aes128.zip": "password",
    "la-winzip_aes256.zip": "password",
}
# Entries whose stored names have characters code page 936 lacks: they become "?", which Windows
# refuses in a file name, so the engine skips them as it would there.
UNNAMEABLE = {"sc-Zip.implode.zip": 1}
REDUCE = ["sc-Zip.reduce1.zip", "sc-Zip.reduce2.zip", "sc-Zip.reduce3.zip", "sc-Zip.reduce4.zip",
          "rs-legacy-reduce.zip"]


def failing_password(path):
    """A password that fails the check of every encrypted entry. A wrong password passes the
    traditional one-byte check once in 256 tries (and AES's two-byte verifier once in 65,536), and
    the fixtures' encryption headers are new on every build."""
    import hashlib
    import struct
    import zipfile
    data = open(path, "rb").read()
    with zipfile.ZipFile(path) as z:
        infos = [i for i in z.infolist() if i.flag_bits & 1]
    for attempt in range(1000):
        candidate = "wrong%d" % attempt
        passes = False
        for info in infos:
            local = info.header_offset
            name_len, extra_len = struct.unpack_from("<HH", data, local + 26)
            start = local + 30 + name_len + extra_len
            if info.compress_type == 99:
                strength = info.extra[info.extra.index(b"\x01\x99") + 8]
                salt_len = {1: 8, 2: 12, 3: 16}[strength]
                key_len = {1: 16, 2: 24, 3: 32}[strength]
                keys = hashlib.pbkdf2_hmac("sha1", candidate.encode(), data[start:start + salt_len], 1000, 2 * key_len + 2)
                passes |= keys[-2:] == data[start + salt_len:start + salt_len + 2]
            else:
                header = zipfile._ZipDecrypter(candidate.encode())(data[start:start + 12])
                check = (info._raw_time >> 8) & 0xFF if info.flag_bits & 0x8 else (info.CRC >> 24) & 0xFF
                passes |= header[11] == check
        if not passes:
            return candidate
    raise AssertionError("no failing password found")


def tree(root):
    out = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                out[os.path.relpath(path, root)] = hashlib.sha256(f.read()).hexdigest()
    return out


class MethodsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="velmora-methods-test-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def extract(self, archive, *options):
        dest = tempfile.mkdtemp(dir=self.dir)
        r = subprocess.run([PACK, "extract", archive, dest, *options], capture_output=True, text=True)
        return r, dest

    @unittest.skipUnless(os.path.isdir(SHARED), "no shared/testdata/zip beside the repository")
    def test_shared_archives_agree_with_7zip(self):
        for name, password in SEVEN_ZIP_ORACLE.items():
            with self.subTest(name):
                options = ["--password", password] if password else []
                r, ours = self.extract(os.path.join(SHARED, name), *options)
                refused = UNNAMEABLE.get(name, 0)
                self.assertEqual(r.returncode, 1 if refused else 0, r.stdout + r.stderr)
                self.assertEqual(r.stdout.count("skipped (cannot be created)"), refused, r.stdout)
                theirs = tempfile.mkdtemp(dir=self.dir)
                subprocess.run(["7zz", "x", "-y", "-o" + theirs] + (["-p" + password] if password else []) +
                               [os.path.join(SHARED, name)], check=True, stdout=subprocess.DEVNULL)
                # Names outside ASCII were written for another code page: 7-Zip reads them as
                # such, the engine as code page 936. Their contents must still agree.
                mine, other = tree(ours), tree(theirs)
                ascii_names = lambda t: {k: v for k, v in t.items() if k.isascii()}
                self.assertEqual(ascii_names(mine), ascii_names(other))
                if refused:
                    self.assertEqual(len(mine), len(other) - refused)
                    self.assertLessEqual(set(mine.values()), set(other.values()))
                else:
                    self.assertEqual(sorted(mine.values()), sorted(other.values()))

    @unittest.skipUnless(os.path.isdir(SHARED), "no shared/testdata/zip beside the repository")
    def test_reduced_archives_pass_their_crc(self):
        for name in REDUCE:
            with self.subTest(name):
                r, ours = self.extract(os.path.join(SHARED, name))
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertNotIn("bad CRC", r.stdout)
                self.assertTrue(tree(ours))

    @unittest.skipUnless(os.path.isdir(SHARED), "no shared/testdata/zip beside the repository")
    def test_strong_encryption_is_not_taken_for_a_password_match(self):
        r, ours = self.extract(os.path.join(SHARED, "la-strong_encryption_data.zip"), "--password", "12345678")
        self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
        self.assertEqual(tree(ours), {})

    @unittest.skipUnless(CRYPTO, "VELMORA_CRYPTO_FIXTURES is not set")
    def test_encrypted_fixtures_with_right_and_wrong_passwords(self):
        with open(os.path.join(CRYPTO, "manifest.json"), encoding="utf-8") as f:
            items = json.load(f)
        plain = tree(os.path.join(CRYPTO, "plain"))
        for item in items:
            with self.subTest(item["archive"]):
                archive = os.path.join(CRYPTO, item["archive"])
                r, ours = self.extract(archive, "--password", item["password"])
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertEqual(tree(ours), plain)
                # Without the password only the entries stored in the clear come out.
                r, ours = self.extract(archive, "--password", failing_password(archive))
                self.assertEqual(r.returncode, 1)
                self.assertIn("wrong or missing password", r.stdout)
                encrypted = item.get("encrypted", plain.keys())
                self.assertEqual(tree(ours), {k: v for k, v in plain.items() if k not in encrypted})


if __name__ == "__main__":
    unittest.main()
