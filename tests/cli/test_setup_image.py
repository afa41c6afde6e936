"""The setup program's image: the libraries it imports, its large-address-aware flag, and its
icon, manifest and version resources, read straight from the PE file.

VELMORA_SETUP_STUB names the built VelmoraSetup-stub.exe.
"""
import os
import re
import struct
import unittest

STUB = os.environ.get("VELMORA_SETUP_STUB", "")

# Libraries the system always maps from its own folder, and the common controls, which the
# manifest takes from the side-by-side store. Nothing else may be imported.
ALLOWED = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
           "oleaut32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll", "comctl32.dll"}
RT_ICON, RT_VERSION, RT_MANIFEST = 3, 16, 24
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        assert self.data[pe:pe + 4] == b"PE\0\0"
        sections, optional_size, self.characteristics = struct.unpack_from("<H12xHH", self.data, pe + 6)
        optional = pe + 24
        assert struct.unpack_from("<H", self.data, optional)[0] == 0x10B  # PE32
        self.directories = [struct.unpack_from("<II", self.data, optional + 96 + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            vsize, va, rsize, raw = struct.unpack_from("<IIII", self.data, table + 40 * i + 8)
            self.sections.append((va, max(vsize, rsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %x outside the sections" % rva)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva = self.directories[1][0]
        names = []
        while True:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                return names
            names.append(self.string(name).lower())
            rva += 20

    def resources(self):
        """(type, name, language) -> bytes, for every resource."""
        base = self.offset(self.directories[2][0])
        found = {}

        def walk(offset, path):
            named, ids = struct.unpack_from("<12xHH", self.data, base + offset)
            for i in range(named + ids):
                ident, child = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if child & 0x80000000:
                    walk(child & 0x7FFFFFFF, path + [ident])
                else:
                    rva, size = struct.unpack_from("<II", self.data, base + child)
                    found[tuple(path + [ident])] = self.data[self.offset(rva):self.offset(rva) + size]

        walk(0, [])
        return found


@unittest.skipUnless(STUB, "VELMORA_SETUP_STUB is not set")
class SetupImageTest(unittest.TestCase):
    def setUp(self):
        self.image = PeImage(STUB)
        self.resources = self.image.resources()

    def of_type(self, kind):
        return [data for key, data in self.resources.items() if key[0] == kind]

    def test_imports_only_libraries_of_the_system_folder(self):
        imports = set(self.image.imports())
        self.assertTrue(imports)
        self.assertLessEqual(imports, ALLOWED)

    def test_icon_is_32_by_32_with_32_bits(self):
        icons = self.of_type(RT_ICON)
        self.assertEqual(len(icons), 1)
        size, width, height, planes, bits = struct.unpack_from("<IiiHH", icons[0])
        self.assertEqual((width, height // 2, bits), (32, 32, 32))

    def test_manifest_asks_for_common_controls_6_and_administrator_rights(self):
        manifests = self.of_type(RT_MANIFEST)
        self.assertEqual(len(manifests), 1)
        text = manifests[0].decode("utf-8")
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', " ".join(text.split()))
        levels = re.findall(r'<requestedExecutionLevel\s+level="([^"]*)"', text)
        self.assertEqual(levels, ["requireAdministrator"])
        # The program and the controls it asks for are of its own architecture.
        self.assertEqual(set(re.findall(r'processorArchitecture="([^"]*)"', text)), {"x86"})

    def test_large_address_aware(self):
        self.assertTrue(self.image.characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE)

    def test_version_information(self):
        versions = self.of_type(RT_VERSION)
        self.assertEqual(len(versions), 1)
        data = versions[0]
        fixed = data.index(struct.pack("<I", 0xFEEF04BD))
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, fixed + 8)
        self.assertEqual((file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF), (2, 0, 1, 34))
        self.assertEqual((product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF), (1, 0, 0, 0))
        text = data.decode("utf-16-le", errors="replace")
        self.assertIn("080403A8", text)
        for key, value in (("FileDescription", "Velmora安装向导"), ("ProductName", "Velmora安装向导 Setup  Install"),
                           ("FileVersion", "2.0.1.34"), ("ProductVersion", "1.0.0.0")):
            self.assertIn(key, text)
            self.assertIn(value, text)
        for empty in ("CompanyName", "LegalCopyright", "InternalName", "OriginalFilename"):
            self.assertIn(empty, text)
        self.assertIn(struct.pack("<HH", 0x0804, 936), data)  # the translation: Chinese (PRC), code page 936


if __name__ == "__main__":
    unittest.main()
