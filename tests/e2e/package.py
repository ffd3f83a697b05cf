#!/usr/bin/env python3
"""Checks what the build installs and packages.

  package.py install BUILD PREFIX   install the build under PREFIX and check the tree
  package.py deb BUILD OUTDIR       make the Debian package and check its control and files
  package.py zip BUILD OUTDIR       make the Windows release's zip and check what it holds
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import zipfile

ICON_SIZES = (16, 32, 48, 64, 128, 256)
RUNTIME_PACKAGES = ("liballegro4.4", "libdumb1", "libaldmb1")
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MINGW = "x86_64-w64-mingw32-"
# What a Windows installation has without anything installed on it.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "ole32.dll",
                "dinput.dll", "ddraw.dll", "winmm.dll", "dsound.dll", "msvcrt.dll"}


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


def cpack(build, generator, outdir):
    """Makes the build's package with one CPack generator in a fresh directory; returns its
    file name."""
    if os.path.isdir(outdir):
        shutil.rmtree(outdir)
    os.makedirs(outdir)
    run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-G", generator,
        "-B", outdir)
    made = [f for f in os.listdir(outdir) if f.endswith("." + generator.lower())]
    check(len(made) == 1, "cpack made %s" % made)
    return made[0]


def deb(build, outdir):
    name = cpack(build, "DEB", outdir)
    package = os.path.join(outdir, name)
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
    print("%s: Depends: %s" % (name, control.get("Depends")))


def check_exe(path):
    """A 64-bit windowed program that needs only Windows' own DLLs, with its icon and its
    version information as resources."""
    headers = run(MINGW + "objdump", "-p", path)
    check("(PE32+)" in headers, "vellmora.exe is not a 64-bit program")
    check("(Windows GUI)" in headers, "vellmora.exe is not a windowed program")
    dlls = {d.lower() for d in re.findall(r"DLL Name: (\S+)", headers)}
    check(dlls <= WINDOWS_DLLS, "vellmora.exe needs DLLs Windows lacks: %s"
          % sorted(dlls - WINDOWS_DLLS))
    resources = run(MINGW + "windres", "-i", path, "-O", "rc")
    check(re.search(r'"ALLEGRO_ICON" 14 /\* RT_GROUP_ICON', resources),
          "vellmora.exe has no icon for its window")
    check(len(re.findall(r"\d+ 3 /\* RT_ICON", resources)) >= 4, "the icon has too few sizes")
    version = re.search(r'VALUE "ProductVersion", "([^"]*)"', resources)
    check(version, "vellmora.exe has no version information")
    return version.group(1), sorted(dlls)


def winzip(build, outdir):
    name = cpack(build, "ZIP", outdir)
    with zipfile.ZipFile(os.path.join(outdir, name)) as z:
        names = sorted(n for n in z.namelist() if not n.endswith("/"))
        want = ["README.txt", "vellmora.exe", "xm/bg.xm"]
        if os.path.exists(os.path.join(SOURCE, "LICENSE")):
            want.append("LICENSE")
        check(names == sorted(want), "the zip holds %s, not %s" % (names, sorted(want)))
        with open(os.path.join(SOURCE, "xm", "bg.xm"), "rb") as f:
            check(z.read("xm/bg.xm") == f.read(), "the zip's module differs from xm/bg.xm")
        readme = z.read("README.txt").decode("ascii")
        check("\r\n" in readme and "\n" not in readme.replace("\r\n", ""),
              "README.txt does not have Windows line ends")
        for word in ("vellmora.exe", "Space", "Escape", "Arrow"):
            check(word in readme, "README.txt does not mention %s" % word)
        z.extract("vellmora.exe", outdir)
    version, dlls = check_exe(os.path.join(outdir, "vellmora.exe"))
    check(name == "vellmora-%s-win64.zip" % version, "%s does not carry the version %s"
          % (name, version))
    print("%s: %s; vellmora.exe %s needs %s" % (name, ", ".join(names), version,
                                                 ", ".join(dlls)))


def main():
    modes = {"install": install, "deb": deb, "zip": winzip}
    if len(sys.argv) != 4 or sys.argv[1] not in modes:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        modes[sys.argv[1]](sys.argv[2], sys.argv[3])
    except Failure as e:
        print("FAILED: %s" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
