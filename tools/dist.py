#!/usr/bin/env python3
"""Makes the release packages (what `make dist` runs):

    tools/dist.py OUT_DIR BUILD_DIR...

Each BUILD_DIR is a cross build holding tsutsuri.exe. For each, OUT_DIR gets
tsutsuri-<version>-<win32|win64>.zip holding README.txt, LICENSE, tsutsuri.exe and
help/tsutsurin.html; then SHA256SUMS lists the zips. The version is the one the programs carry
in their version resource (all must carry the same), and the architecture is the one their
image header names, so a zip's name always says what is inside it.

The same inputs give the same bytes: entries in a fixed order, one fixed time stamp
(SOURCE_DATE_EPOCH when set), fixed attributes, and nothing from the files' own times or modes.
The texts for Windows users get CRLF line ends, and README.txt code page 932, which Notepad on
a Japanese Windows reads on every version from 95 on.
"""
import hashlib
import os
import struct
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARCHES = {0x014C: "win32", 0x8664: "win64"}
FIXED_DATE = (2026, 1, 1, 0, 0, 0)
FILE_ATTRIBUTE_ARCHIVE = 0x20


def fail(message):
    sys.exit("dist: " + message)


def image_arch(data, path):
    if data[:2] != b"MZ":
        fail(f"{path} is not a Windows program")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail(f"{path} has no PE header")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    if machine not in ARCHES:
        fail(f"{path} is for machine {machine:#x}, neither i386 nor x86-64")
    return ARCHES[machine]


def image_version(data, path):
    """FILEVERSION of the version resource as "a.b.c.d", checked against its "FileVersion"."""
    block = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    fixed = data.find(struct.pack("<I", 0xFEEF04BD), block, block + 48) if block >= 0 else -1
    if fixed < 0:
        fail(f"{path} carries no version resource")
    ms, ls = struct.unpack_from("<II", data, fixed + 8)
    version = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    key = "FileVersion\0".encode("utf-16-le")
    at = data.find(key, fixed)
    if at < 0:
        fail(f"{path} has no FileVersion string")
    at += len(key)
    at += (-at) % 4   # values start on a 32-bit boundary (resource data are aligned)
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    text = data[at:end].decode("utf-16-le")
    if text != version:
        fail(f"{path}: FileVersion \"{text}\" is not FILEVERSION {version}")
    return version


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def read_text(relative):
    with open(os.path.join(ROOT, relative), encoding="utf-8") as f:
        return f.read()


def entry(name, data, date):
    info = zipfile.ZipInfo(name, date_time=date)
    info.create_system = 0   # MS-DOS attributes, as a zip made on Windows carries
    info.external_attr = FILE_ATTRIBUTE_ARCHIVE
    info.compress_type = zipfile.ZIP_DEFLATED
    return info, data


def package(out_dir, exe, arch, version, date):
    readme = crlf(read_text("dist/README.txt").replace("@VERSION@", version))
    with open(os.path.join(ROOT, "help", "tsutsurin.html"), "rb") as f:
        page = f.read()
    entries = [
        entry("README.txt", readme.encode("cp932"), date),
        entry("LICENSE", crlf(read_text("LICENSE")).encode("ascii"), date),
        entry("tsutsuri.exe", exe, date),
        entry("help/tsutsurin.html", page, date),
    ]
    name = f"tsutsuri-{version}-{arch}.zip"
    target = os.path.join(out_dir, name)
    with zipfile.ZipFile(target + ".tmp", "w") as z:
        for info, data in entries:
            z.writestr(info, data, compresslevel=9)
    os.replace(target + ".tmp", target)
    return name


def main(argv):
    if len(argv) < 3:
        fail("usage: dist.py OUT_DIR BUILD_DIR...")
    out_dir = argv[1]
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    date = time.gmtime(int(epoch))[:6] if epoch else FIXED_DATE
    programs = []
    for build in argv[2:]:
        path = os.path.join(build, "tsutsuri.exe")
        if not os.path.isfile(path):
            fail(f"no {path} (build it first)")
        with open(path, "rb") as f:
            data = f.read()
        programs.append((path, data, image_arch(data, path), image_version(data, path)))
    versions = {p[3] for p in programs}
    if len(versions) != 1:
        fail("the programs carry different versions: " +
             ", ".join(f"{p[0]} {p[3]}" for p in programs))
    arches = [p[2] for p in programs]
    if len(set(arches)) != len(arches):
        fail("two builds of the same architecture: " + ", ".join(p[0] for p in programs))

    os.makedirs(out_dir, exist_ok=True)
    # Packages of an earlier version would otherwise sit beside the new ones, unlisted.
    for old in os.listdir(out_dir):
        if (old.startswith("tsutsuri-") and old.endswith(".zip")) or old == "SHA256SUMS":
            os.remove(os.path.join(out_dir, old))
    names = [package(out_dir, data, arch, version, date)
             for _, data, arch, version in sorted(programs, key=lambda p: p[2])]
    sums = []
    for name in names:
        with open(os.path.join(out_dir, name), "rb") as f:
            sums.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
    with open(os.path.join(out_dir, "SHA256SUMS"), "w", newline="\n") as f:
        f.writelines(sums)
    for name in names:
        print(f"dist: {os.path.join(out_dir, name)} "
              f"({os.path.getsize(os.path.join(out_dir, name))} bytes)")
    print(f"dist: {os.path.join(out_dir, 'SHA256SUMS')}")


if __name__ == "__main__":
    main(sys.argv)
