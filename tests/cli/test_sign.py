"""Signing setups after packing: velmora-pack build --sign-command with osslsigncode and a throwaway
certificate that openssl makes for the run, and how signed, re-signed, tampered, cut and otherwise
damaged setups read.

VELMORA_PACK names the tool to test.
"""
import os
import shlex
import shutil
import struct
import subprocess
import tempfile
import unittest

PACK = os.environ.get("VELMORA_PACK", "velmora-pack")
PRODUCT = {"DeskClient.exe": b"MZ stand-in\r\n" * 300, "说明.txt": "说明\r\n".encode("gbk"), "data/x.bin": bytes(range(256)) * 64}
EPOCH = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")

# Offsets in the stub below: e_lfanew at 0x3C, "PE\0\0" at 0x80, the optional header at 0x98 and
# the security directory (file offset, size) at 0x98 + 96 + 4 * 8.
SECURITY_DIRECTORY = 0x98 + 96 + 4 * 8


def minimal_pe():
    """A PE32 image of 1,024 bytes, enough for a signing tool: the headers (DOS header with e_lfanew
    0x80, COFF header for one i386 section, optional header with 16 data directories, one section
    header) padded to 512 bytes, then one 512-byte code section that returns."""
    dos = bytearray(0x80)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x80)
    coff = struct.pack("<4sHHIIIHH", b"PE\0\0", 0x14C, 1, 0, 0, 0, 0xE0, 0x0102)
    optional = bytearray(0xE0)
    struct.pack_into("<HBBIIIIII", optional, 0, 0x10B, 1, 0, 0x200, 0, 0, 0x1000, 0x1000, 0x2000)
    struct.pack_into("<IIIHHHHHHIIIIHHIIIIII", optional, 28, 0x400000, 0x1000, 0x200, 4, 0, 0, 0, 4, 0, 0,
                     0x2000, 0x200, 0, 2, 0x140, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x1000, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
    headers = bytes(dos) + coff + bytes(optional) + section
    return headers + bytes(0x200 - len(headers)) + b"\xC3" + bytes(0x1FF)


def run(*args, env=None):
    return subprocess.run([PACK, *args], capture_output=True, text=True, env=env)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def directory(data):
    return struct.unpack_from("<II", data, SECURITY_DIRECTORY)


def with_directory(data, offset, size):
    data = bytearray(data)
    struct.pack_into("<II", data, SECURITY_DIRECTORY, offset, size)
    return bytes(data)


def inspect_fields(r):
    return {k.strip(): v.strip() for k, v in (line.split(":", 1) for line in r.stdout.splitlines())}


class SignTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.keys = tempfile.mkdtemp(prefix="velmora-sign-keys-")
        cls.cert, cls.key = os.path.join(cls.keys, "maker.pem"), os.path.join(cls.keys, "maker.key")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Velmora test maker", "-keyout", cls.key, "-out", cls.cert],
                       check=True, capture_output=True)
        cls.osslsign = f"osslsigncode sign -certs '{cls.cert}' -key '{cls.key}' -n Velmora"

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.keys)

    def setUp(self):
        # A folder name with a blank and a quote: %1 must reach the signing command as one word.
        self.dir = tempfile.mkdtemp(prefix="velmora sign 'test' ")
        self.product = os.path.join(self.dir, "product")
        for rel, data in PRODUCT.items():
            os.makedirs(os.path.dirname(os.path.join(self.product, rel)), exist_ok=True)
            write(os.path.join(self.product, rel), data)
        self.stub = self.path("stub.exe")
        write(self.stub, minimal_pe())

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def build(self, out, *extra, stub=None):
        r = run("build", "--stub", stub or self.stub, "--from", self.product, "--out", self.path(out), *extra, env=EPOCH)
        self.assertEqual(r.returncode, 0, r.stderr)
        return r

    def sign_in_place(self, name, *options):
        script = f"{self.osslsign} {' '.join(options)} -in \"$1\" -out \"$1.s\" && mv \"$1.s\" \"$1\""
        r = subprocess.run(["sh", "-c", script, "sign", self.path(name)], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def verify(self, name):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert, "-in", self.path(name)],
                              capture_output=True, text=True).returncode

    def unpacked(self, name):
        r = run("unpack", self.path(name), self.path(name + ".zip"))
        self.assertEqual(r.returncode, 0, r.stderr)
        return read(self.path(name + ".zip"))

    def test_signed_setup_verifies_unpacks_alike_and_its_signature_covers_the_payload(self):
        self.build("plain.exe")
        r = self.build("signed.exe", "--sign-command", self.osslsign + ' -in "%1" -out %1.signed && mv %1.signed %1')
        self.assertIn("signed, certificate table of", r.stdout)
        plain, signed = read(self.path("plain.exe")), read(self.path("signed.exe"))
        self.assertEqual(self.verify("signed.exe"), 0)
        self.assertEqual(self.unpacked("signed.exe"), self.unpacked("plain.exe"))

        # The region ends on an 8-byte boundary, so the table follows the trailer directly.
        self.assertEqual(len(plain) % 8, 0)
        offset, size = directory(signed)
        self.assertEqual((offset, offset + size), (len(plain), len(signed)))
        n = struct.unpack_from("<I", plain, len(plain) - 4)[0]
        self.assertEqual(signed[len(plain) - n:offset], plain[len(plain) - n:])
        fields = inspect_fields(run("inspect", self.path("signed.exe")))
        self.assertEqual(fields["certificate table"], f"offset {offset}, size {size}")
        self.assertEqual(fields["region end"], f"{offset}  (start of the certificate table)")

        # One payload byte changed: the signature no longer verifies.
        tampered = bytearray(signed)
        tampered[len(plain) - n // 2] ^= 0x01
        write(self.path("tampered.exe"), tampered)
        self.assertNotEqual(self.verify("tampered.exe"), 0)
        self.assertNotIn(".part-", " ".join(os.listdir(self.dir)))

    def test_the_setup_path_stays_one_word_wherever_the_command_puts_it(self):
        # Run in the test folder (a blank and quotes in its name) with a relative --out: %1 may stand
        # inside a longer quoted word, and the command may change its folder before it signs.
        self.build("plain.exe")
        archive = self.unpacked("plain.exe")
        sign = self.osslsign
        cases = [
            ("bare", f"{sign} -in %1 -out %1.s && mv %1.s %1"),
            ("inside double quotes", f'{sign} -in "%1" -out "%1.signed" && mv "%1.signed" "%1"'),
            ("inside single quotes", f"{sign} -in '%1' -out '%1.signed' && mv '%1.signed' '%1'"),
            ("after a change of folder", f"cd / && {sign} -in %1 -out %1.s && mv %1.s %1"),
        ]
        for what, command in cases:
            with self.subTest(what):
                r = subprocess.run([PACK, "build", "--stub", self.stub, "--from", "product", "--out", "o ut.exe",
                                    "--sign-command", command], capture_output=True, text=True, env=EPOCH, cwd=self.dir)
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertEqual(self.verify("o ut.exe"), 0)
                self.assertEqual(self.unpacked("o ut.exe"), archive)
                self.assertEqual(sorted(os.listdir(self.dir)),
                                 sorted(["o ut.exe", "o ut.exe.zip", "plain.exe", "plain.exe.zip", "product", "stub.exe"]))
                os.remove(self.path("o ut.exe"))

    def test_signed_again_or_with_a_nested_signature_still_reads(self):
        self.build("plain.exe")
        archive = self.unpacked("plain.exe")
        for name, options in (("resigned.exe", ()), ("nested.exe", ("-nest",))):
            with self.subTest(name):
                shutil.copy(self.path("plain.exe"), self.path(name))
                self.sign_in_place(name)
                self.sign_in_place(name, *options)
                self.assertEqual(self.verify(name), 0)
                self.assertEqual(self.unpacked(name), archive)
                r = run("list", self.path(name))
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertIn("DeskClient.exe", r.stdout)

    def test_a_signed_stub_loses_its_signature_and_the_setup_can_be_signed(self):
        shutil.copy(self.stub, self.path("signed-stub.exe"))
        self.sign_in_place("signed-stub.exe")
        stale = with_directory(minimal_pe(), 0x300, 64)  # names bytes inside the image
        write(self.path("stale-stub.exe"), stale)
        # Names the end of the code section, which closes the file: no table, and nothing to cut.
        write(self.path("inside-stub.exe"), with_directory(minimal_pe(), 0x300, 0x100))
        for stub, note in (("signed-stub.exe", "signature"), ("stale-stub.exe", "certificate directory"),
                           ("inside-stub.exe", "certificate directory")):
            with self.subTest(stub):
                r = self.build("setup.exe", stub=self.path(stub))
                self.assertIn(note, r.stdout)
                setup = read(self.path("setup.exe"))
                self.assertEqual(directory(setup), (0, 0))
                self.assertEqual(setup[:0x200], with_directory(read(self.path(stub)), 0, 0)[:0x200])
                # The stub's table is cut off: only padding lies between the image and the region.
                n = struct.unpack_from("<I", setup, len(setup) - 4)[0]
                self.assertIn(len(setup) - n - len(minimal_pe()), range(8))
                self.build("signed.exe", "--sign-command", self.osslsign + " -in %1 -out %1.s && mv %1.s %1",
                           stub=self.path(stub))
                self.assertEqual(self.verify("signed.exe"), 0)

    def test_directories_that_do_not_close_the_file_fall_back_to_its_end(self):
        self.build("plain.exe")
        plain = read(self.path("plain.exe"))
        archive = self.unpacked("plain.exe")
        cases = [
            ("table not last", with_directory(plain, 0x200, 0x100)),
            ("table reaching outside the file", with_directory(plain, len(plain) - 8, 64)),
            ("table wholly outside the file", with_directory(plain, len(plain) + 64, 64)),
        ]
        for what, data in cases:
            with self.subTest(what):
                write(self.path("odd.exe"), data)
                self.assertEqual(self.unpacked("odd.exe"), archive)
                r = run("inspect", self.path("odd.exe"))
                self.assertEqual(r.returncode, 0, r.stderr)
                fields = inspect_fields(r)
                self.assertIn("not used", fields["certificate table"])
                self.assertEqual(fields["region end"], f"{len(data)}  (end of the file)")

        # A signed setup cut short or with bytes behind its table: neither rule finds a trailer.
        self.build("signed.exe", "--sign-command", self.osslsign + " -in %1 -out %1.s && mv %1.s %1")
        signed = read(self.path("signed.exe"))
        offset, size = directory(signed)
        for what, data in (("certificate table cut short", signed[:-100]), ("bytes behind the table", signed + b"\0" * 8)):
            with self.subTest(what):
                write(self.path("broken.exe"), data)
                for command in ("unpack", "inspect"):
                    r = run(command, self.path("broken.exe"), *([self.path("o.zip")] if command == "unpack" else []))
                    self.assertEqual(r.returncode, 1)
                    self.assertIn(f"the certificate directory (offset {offset}, size {size}) does not end at the end", r.stderr)

    def test_a_failed_or_damaging_signing_command_writes_no_setup(self):
        sign = self.osslsign + " -in %1 -out %1.s && mv %1.s %1"
        # Another build of the product with one file changed at the same size: same archive length and
        # entry count, other content, as a signing service that hands back a stale setup would.
        shutil.copytree(self.product, self.path("other"))
        write(os.path.join(self.path("other"), "data/x.bin"), bytes(range(255, -1, -1)) * 64)
        run("build", "--stub", self.stub, "--from", self.path("other"), "--out", self.path("other.exe"), env=EPOCH)
        cases = [
            ("command fails", "exit 3 # %1", "the signing command failed (exit status 3)"),
            ("image damaged", "printf '\\377' | dd of=%1 bs=1 seek=600 conv=notrunc 2>/dev/null && " + sign,
             "changed the setup in front of the certificate table"),
            ("another setup of the same size", f"cp {shlex.quote(self.path('other.exe'))} %1 && " + sign,
             "changed the setup in front of the certificate table"),
            ("command signs nothing", "test -f %1", "the signing command did not sign it"),
            # A tool that pads the file before its table hides the trailer from both rules.
            ("padding in front of the table", "printf 'PAD!' >> %1 && " + sign, "in front of the certificate table"),
            ("payload damaged", "printf '\\377' | dd of=%1 bs=1 seek=1200 conv=notrunc 2>/dev/null && " + sign,
             "found when checking the signed setup"),
        ]
        for what, command, message in cases:
            with self.subTest(what):
                r = run("build", "--stub", self.stub, "--from", self.product, "--out", self.path("o.exe"),
                        "--sign-command", command)
                self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
                self.assertIn(message, r.stderr)
                self.assertFalse(os.path.exists(self.path("o.exe")))
                self.assertEqual([n for n in os.listdir(self.dir) if ".part-" in n], [])
        r = run("build", "--stub", self.stub, "--from", self.product, "--out", self.path("o.exe"),
                "--sign-command", "osslsigncode sign -in setup.exe")
        self.assertEqual(r.returncode, 2)
        self.assertIn("%1", r.stderr)


if __name__ == "__main__":
    unittest.main()
