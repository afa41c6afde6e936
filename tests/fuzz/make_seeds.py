#!/usr/bin/env python3
"""Writes small starting inputs for the fuzz targets that no test fixture provides.

  make_seeds.py TARGET FOLDER

  fuzz_lzma_stream    payload blocks: the 5-byte header (properties, u32 dictionary size) and raw
                      LZMA1 data decoding to u32 L + a small ZIP, with and without the end marker
                      cut off, several literal settings and dictionary sizes
  fuzz_payload_chain  setups: a stand-in image, such a block and the u32 region size at the end;
                      and one signed: PE headers whose security directory names a certificate
                      table behind the region size
  fuzz_install_log    install logs as the wizard writes them, CR LF after every line
  fuzz_zip_extract    small archives of every method Python writes (the fixtures bring the older
                      methods and the encrypted ones)
"""
import io
import lzma
import os
import struct
import sys
import zipfile


def small_zip(method=zipfile.ZIP_DEFLATED):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", method) as z:
        z.writestr("readme.txt", b"Velmora desktop\r\n" * 4)
        z.writestr("bin/", b"")
        z.writestr("bin/tool.dat", bytes(range(64)))
    return buf.getvalue()


# The header may name a smaller dictionary than the encoder used (0 included), as long as no match
# reaches further back than the header's size.
def block(data, lc=3, lp=0, pb=2, dict_size=1 << 16, header_dict=None):
    filters = [{"id": lzma.FILTER_LZMA1, "lc": lc, "lp": lp, "pb": pb, "dict_size": dict_size}]
    props = (pb * 5 + lp) * 9 + lc
    stated = dict_size if header_dict is None else header_dict
    return bytes([props]) + struct.pack("<I", stated) + lzma.compress(data, format=lzma.FORMAT_RAW, filters=filters)


def blocks():
    archive = small_zip()
    payload = struct.pack("<I", len(archive)) + archive
    out = {
        "zip.lzma": block(payload),
        "lc0-lp2-pb0.lzma": block(payload, lc=0, lp=2, pb=0, dict_size=4096),
        "empty.lzma": block(struct.pack("<I", 0)),
        "run.lzma": block(struct.pack("<I", 300) + b"\x00" * 300, dict_size=4096, header_dict=0),
    }
    full = out["zip.lzma"]
    out["cut.lzma"] = full[: len(full) * 2 // 3]
    return out


def signed_setup(data):
    """PE32 headers as far as the region's end is read from them ("MZ", e_lfanew 0x40, "PE\\0\\0",
    a COFF header naming a 224-byte optional header, its magic and 16 data directories, the fifth
    at 0x58 + 128 naming the table), the block, its region size and a 24-byte certificate table."""
    head = bytearray(0x138)
    head[0:2] = b"MZ"
    struct.pack_into("<I", head, 0x3C, 0x40)
    head[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<H", head, 0x44, 0x14C)
    struct.pack_into("<H", head, 0x44 + 16, 0xE0)
    struct.pack_into("<H", head, 0x58, 0x10B)
    struct.pack_into("<I", head, 0x58 + 92, 16)
    region = data + struct.pack("<I", len(data) + 4)
    struct.pack_into("<II", head, 0x58 + 128, len(head) + len(region), 24)
    return bytes(head) + region + b"\x5A" * 24


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    target, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    if target == "fuzz_lzma_stream":
        for name, data in blocks().items():
            write(folder, name, data)
    elif target == "fuzz_payload_chain":
        image = b"MZ" + b"\x90" * 62
        for name, data in blocks().items():
            write(folder, name.replace(".lzma", ".exe"), image + data + struct.pack("<I", len(data) + 4))
        write(folder, "no-region.exe", image + struct.pack("<I", 3))
        write(folder, "signed.exe", signed_setup(blocks()["zip.lzma"]))
    elif target == "fuzz_install_log":
        lines = ["File=C:\\Program Files\\Velmora\\DeskClient.exe", "Dir=C:\\Program Files\\Velmora\\data\\",
                 "  File = C:\\Velmora\\midas.dll  ", "Dir", "Note=passed over", "File=\xd6\xd0\xce\xc4.txt"]
        write(folder, "install.log", "".join(line + "\r\n" for line in lines).encode("latin-1"))
    elif target == "fuzz_zip_extract":
        for name, method in (("stored", zipfile.ZIP_STORED), ("deflate", zipfile.ZIP_DEFLATED),
                             ("bzip2", zipfile.ZIP_BZIP2), ("lzma", zipfile.ZIP_LZMA)):
            write(folder, name + ".zip", small_zip(method))
    else:
        sys.exit("unknown target " + target)


if __name__ == "__main__":
    main()
