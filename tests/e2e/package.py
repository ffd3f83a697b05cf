#!/usr/bin/env python3
"""Checks what the build installs and packages.

  package.py install BUILD PREFIX   install the build under PREFIX and check the tree
  package.py deb BUILD OUTDIR       make the Debian package and check its control and files
"""
import os
import shutil
import struct
import subprocess
import sys

ICON_SIZES = (16, 32, 48, 64, 128, 256)
RUNTIME_PACKAGES = ("liballegro4.4", "libdumb1", "libaldmb1")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*cmd):
    res = subprocess.run(list(cmd), stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(res.returncode == 0, "%s failed:\n%s" % (" ".join(cmd), res.stdout.decode()))
    return res.stdout.decode()


def installed_files():
    """Paths below the prefix that an installed game must have."""
    files = ["bin/vellmora", "share/vellmora/xm/bg.xm", "share/applications/vellmora.desktop"]
    files += ["share/icons/hicolor/%dx%d/apps/vellmora.png" % (n, n) for n in ICON_SIZES]
    return files


def png_size(data):
    check(data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", "not a PNG")
    return struct.unpack(">II", data[16:24])


def desktop_entry(text):
    entry = {}
    for line in text.splitlines():
        if "=" in line and not line.startswith("#"):
            k, v = line.split("=", 1)
            entry[k.strip()] = v.strip()
    return entry


def check_desktop(text):
    entry = desktop_entry(text)
    check(text.startswith("[Desktop Entry]"), "the desktop file has no [Desktop Entry] group")
    for key, value in (("Type", "Application"), ("Name", "Vellmora"), ("Exec", "vellmora"),
                       ("Icon", "vellmora"), ("Categories", "Game;")):
        check(entry.get(key) == value, "desktop file: %s is %r, not %r"
              % (key, entry.get(key), value))


def check_icon(data, n, where):
    size = png_size(data)
    check(size == (n, n), "%s is %dx%d" % (where, size[0], size[1]))


def install(build, prefix):
    if os.path.isdir(prefix):
        shutil.rmtree(prefix)
    run("cmake", "--install", build, "--prefix", prefix)
    for rel in installed_files():
        check(os.path.isfile(os.path.join(prefix, rel)), "not installed: %s" % rel)
    check(os.access(os.path.join(prefix, "bin/vellmora"), os.X_OK), "the game is not executable")
    with open(os.path.join(prefix, "share/applications/vellmora.desktop")) as f:
        check_desktop(f.read())
    for n in ICON_SIZES:
        rel = "share/icons/hicolor/%dx%d/apps/vellmora.png" % (n, n)
        with open(os.path.join(prefix, rel), "rb") as f:
            check_icon(f.read(), n, rel)
    with open(os.path.join(prefix, "share/vellmora/xm/bg.xm"), "rb") as f:
        check(f.read(17) == b"Extended Module: ", "the installed module is not an XM file")
    print("installed under %s: %s" % (prefix, ", ".join(installed_files())))


def deb(build, outdir):
    if os.path.isdir(outdir):
        shutil.rmtree(outdir)
    os.makedirs(outdir)
    run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-G", "DEB", "-B", outdir)
    debs = [f for f in os.listdir(outdir) if f.endswith(".deb")]
    check(len(debs) == 1, "cpack made %s" % debs)
    package = os.path.join(outdir, debs[0])
    control = dict(line.partition(":")[::2] for line in
                   run("dpkg-deb", "-f", package).splitlines() if not line.startswith(" "))
    control = {k.strip(): v.strip() for k, v in control.items()}
    depends = [d.strip().split(" ")[0] for d in control.get("Depends", "").split(",")]
    for name in RUNTIME_PACKAGES:
        check(name in depends, "Depends does not name %s: %s" % (name, control.get("Depends")))
    check(control.get("Package") == "vellmora", "package name %r" % control.get("Package"))
    listing = run("dpkg-deb", "-c", package)
    for rel in installed_files():
        check(" ./usr/%s" % rel in listing, "not in the package: /usr/%s" % rel)
    extracted = os.path.join(outdir, "root")
    run("dpkg-deb", "-x", package, extracted)
    with open(os.path.join(extracted, "usr/share/applications/vellmora.desktop")) as f:
        check_desktop(f.read())
    print("%s: Depends: %s" % (debs[0], control.get("Depends")))


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("install", "deb"):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        (install if sys.argv[1] == "install" else deb)(sys.argv[2], sys.argv[3])
    except Failure as e:
        print("FAILED: %s" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
