#!/usr/bin/env python3
"""Checks what the build installs and packages.

  package.py install BUILD PREFIX   install the build under PREFIX and check the tree
  package.py deb SOURCE OUTDIR      build the package as a distribution would and check it:
                                    its control, its files, lintian, the metainfo, the
                                    desktop entry, the icons, the hardening of the binary
  package.py system OUTDIR GLYPHS DISPLAY
                                    install the package built in OUTDIR with dpkg, play it,
                                    purge it and check that nothing of it is left (root only)
  package.py refused BUILD OUTDIR   cpack -G DEB in a build that is not the distribution's:
                                    refused, naming the build that makes the package
  package.py zip BUILD OUTDIR       make the Windows release's zip from its build (cpack) and
                                    check what it holds
"""
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import zipfile

ICON_SIZES = (16, 32, 48, 64, 128, 256)
RUNTIME_PACKAGES = ("liballegro4.4", "libdumb1", "libaldmb1", "libc6")
METAINFO = "io.github.vellmora.Vellmora.metainfo.xml"
# Where a distribution's package puts the game, and the path compiled into it.
PACKAGED_DATADIR = "/usr/share/games/vellmora"
# Lintian's tags that this package once had, at any level: none may come back.
FORMER_TAGS = ("bogus-mail-host", "extended-description-is-empty", "no-changelog",
               "no-copyright-file", "package-section-games-but-contains-no-game",
               "description-synopsis-starts-with-article", "no-manual-page",
               "hardening-no-bindnow", "hardening-no-fortify-functions", "hardening-no-pie",
               "hardening-no-relro", "desktop-entry-lacks-keywords-entry")
SKIPPED = 77
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MINGW = "x86_64-w64-mingw32-"
# What a Windows installation has without anything installed on it.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "ole32.dll",
                "dinput.dll", "ddraw.dll", "winmm.dll", "dsound.dll", "msvcrt.dll"}


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*cmd, **kw):
    res = subprocess.run(list(cmd), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)
    check(res.returncode == 0, "%s failed:\n%s" % (" ".join(cmd), res.stdout.decode()))
    return res.stdout.decode()


def installed_files(games=False):
    """Paths below the prefix that an installed game must have, in either layout."""
    files = ["games/vellmora" if games else "bin/vellmora",
             ("share/games/vellmora" if games else "share/vellmora") + "/xm/bg.xm",
             "share/applications/vellmora.desktop",
             "share/icons/hicolor/scalable/apps/vellmora.svg",
             "share/man/man6/vellmora.6.gz",
             "share/doc/vellmora/copyright",
             "share/doc/vellmora/changelog.gz",
             "share/metainfo/" + METAINFO]
    files += ["share/icons/hicolor/%dx%d/apps/vellmora.png" % (n, n) for n in ICON_SIZES]
    return files


def png_header(data):
    check(data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", "not a PNG")
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    return width, height, depth, colour


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
    # The window's class is Vellmora: a launcher groups the running game under its entry.
    for key, value in (("Type", "Application"), ("Name", "Vellmora"), ("Exec", "vellmora"),
                       ("Icon", "vellmora"), ("Categories", "Game;AdventureGame;"),
                       ("StartupWMClass", "Vellmora")):
        check(entry.get(key) == value, "desktop file: %s is %r, not %r"
              % (key, entry.get(key), value))
    check(entry.get("Keywords"), "the desktop file has no Keywords")


def check_icon(data, n, where):
    width, height, depth, colour = png_header(data)
    check((width, height) == (n, n), "%s is %dx%d" % (where, width, height))
    check((depth, colour) == (8, 6), "%s is not 8-bit RGBA (depth %d, colour type %d)"
          % (where, depth, colour))


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


def rgba(path, size):
    """The pixels of an image at a size, as ImageMagick reads them: bytes of RGBA."""
    return subprocess.run(["/usr/bin/convert", path, "-resize", "%dx%d" % (size, size),
                           "-depth", "8", "rgba:-"], stdout=subprocess.PIPE,
                          check=True).stdout


def check_icons(root):
    """Transparent corners, an opaque middle, and the SVG drawing the same picture."""
    icons = os.path.join(root, "usr/share/icons/hicolor")
    svg = os.path.join(icons, "scalable/apps/vellmora.svg")
    for n in (16, 48, 256):
        png = os.path.join(icons, "%dx%d/apps/vellmora.png" % (n, n))
        pixels = rgba(png, n)
        check(pixels[3] == 0 and pixels[-1] == 0, "%dpx: the corners are not transparent" % n)
        middle = 4 * (n * (n // 2) + n // 2)
        check(pixels[middle + 3] == 255, "%dpx: the middle is not opaque" % n)
        drawn = subprocess.run(["rsvg-convert", "-w", str(n), "-h", str(n), svg],
                               stdout=subprocess.PIPE, check=True).stdout
        rendered = os.path.join(root, "..", "svg%d.png" % n)
        with open(rendered, "wb") as f:
            f.write(drawn)
        vector = rgba(rendered, n)
        # Ink and coverage taken at half way: the corners' smoothing may differ by a shade.
        differ = sum(1 for i in range(0, len(pixels), 4)
                     if (pixels[i] > 127) != (vector[i] > 127)
                     or (pixels[i + 3] > 127) != (vector[i + 3] > 127))
        check(differ == 0, "%dpx: the SVG and the PNG differ in %d pixels" % (n, differ))
    print("icons: RGBA with transparent corners; the SVG draws the same picture at 16, 48, 256")


def check_hardening(binary):
    dynamic = run("readelf", "-d", binary)
    header = run("readelf", "-h", "-l", binary)
    symbols = run("readelf", "--dyn-syms", "-W", binary)
    check("BIND_NOW" in dynamic or "FLAGS_1" in dynamic and "NOW" in dynamic,
          "not bound at start-up (-z now):\n" + dynamic)
    check("GNU_RELRO" in header, "no read-only relocations (-z relro)")
    check("DYN (Position-Independent Executable" in header, "not a PIE:\n" + header)
    check("__stack_chk_fail" in symbols, "no stack protector")
    check("_chk@" in symbols.replace("__stack_chk_fail", ""), "no fortified libc calls")


def lintian(package):
    """Lintian at every level, pedantic included: no error, no warning, no former tag."""
    res = subprocess.run(["lintian", "-EvIL", "+pedantic", "--tag-display-limit", "0", package],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    said = res.stdout.decode()
    print("lintian -EvIL +pedantic:\n" + (said.strip() or "(nothing)"))
    tags = [line.split() for line in said.splitlines() if line[:3] in ("E: ", "W: ", "I: ",
                                                                       "P: ", "X: ")]
    bad = [" ".join(t) for t in tags if t[0] in ("E:", "W:") or t[2] in FORMER_TAGS]
    check(not bad, "lintian: %s" % bad)
    check(res.returncode == 0, "lintian ended with status %d" % res.returncode)


def build_package(source, outdir):
    """A build as a distribution makes it, kept between runs so a second run only relinks."""
    build = os.path.join(outdir, "build")
    run("cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
        "-DCMAKE_INSTALL_PREFIX=/usr", "-DVELLMORA_GAMES_LAYOUT=ON",
        "-DVELLMORA_BUILD_TESTS=OFF", "-DVELLMORA_BUILD_BENCH=OFF")
    run("cmake", "--build", build, "-j%d" % (os.cpu_count() or 1))
    pkgdir = os.path.join(outdir, "pkg")
    if os.path.isdir(pkgdir):
        shutil.rmtree(pkgdir)
    run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-G", "DEB", "-B", pkgdir)
    debs = [f for f in os.listdir(pkgdir) if f.endswith(".deb")]
    check(len(debs) == 1, "cpack made %s" % debs)
    return os.path.join(pkgdir, debs[0])


def cached(build, name):
    with open(os.path.join(build, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith(name + ":"):
                return line.split("=", 1)[1].strip()
    return ""


def refused(build, outdir):
    """A package with section games must hold a game in /usr/games: any other build would
    make one that installs to /usr/local/bin, so cpack must refuse it and say how."""
    if (cached(build, "VELLMORA_GAMES_LAYOUT") == "ON"
            and cached(build, "CMAKE_INSTALL_PREFIX") == "/usr"):
        raise Skip("this build is the distribution's own")
    if os.path.isdir(outdir):
        shutil.rmtree(outdir)
    res = subprocess.run(["cpack", "--config", os.path.join(build, "CPackConfig.cmake"),
                          "-G", "DEB", "-B", outdir],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    out = res.stdout.decode()
    check(res.returncode != 0, "cpack made a package from a non-distribution build:\n" + out)
    check("-DCMAKE_INSTALL_PREFIX=/usr" in out and "-DVELLMORA_GAMES_LAYOUT=ON" in out,
          "cpack refused without naming the distribution build:\n" + out)
    debs = glob.glob(os.path.join(outdir, "**", "*.deb"), recursive=True)
    check(not debs, "a package was left behind: %s" % debs)
    print("refused: " + " ".join(out.split()))


def deb(source, outdir):
    package = build_package(source, outdir)
    control = dict(line.partition(":")[::2] for line in
                   run("dpkg-deb", "-f", package).splitlines() if not line.startswith(" "))
    control = {k.strip(): v.strip() for k, v in control.items()}
    depends = [d.strip().split(" ")[0] for d in control.get("Depends", "").split(",")]
    for name in RUNTIME_PACKAGES:
        check(name in depends, "Depends does not name %s: %s" % (name, control.get("Depends")))
    check(control.get("Package") == "vellmora", "package name %r" % control.get("Package"))
    check(control.get("Section") == "games", "section %r" % control.get("Section"))
    listing = run("dpkg-deb", "-c", package)
    for rel in installed_files(games=True):
        check(" ./usr/%s" % rel in listing, "not in the package: /usr/%s" % rel)
    check(" ./usr/bin/" not in listing and " ./usr/share/vellmora/" not in listing,
          "the package still installs outside the games layout:\n" + listing)

    root = os.path.join(outdir, "pkg", "root")
    run("dpkg-deb", "-x", package, root)
    desktop = os.path.join(root, "usr/share/applications/vellmora.desktop")
    with open(desktop) as f:
        check_desktop(f.read())
    said = run("desktop-file-validate", desktop)
    check(said.strip() == "", "desktop-file-validate: " + said)
    metainfo = os.path.join(root, "usr/share/metainfo", METAINFO)
    said = run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
    print("appstreamcli validate --no-net --pedantic:\n" + said.strip())
    problems = [l for l in said.splitlines() if l[:2] in ("E:", "W:", "I:")]
    check(not problems, "appstreamcli: %s" % problems)
    check_icons(root)
    binary = os.path.join(root, "usr/games/vellmora")
    check_hardening(binary)
    with open(binary, "rb") as f:
        check((PACKAGED_DATADIR + "\0").encode() in f.read(),
              "the binary does not name %s" % PACKAGED_DATADIR)
    lintian(package)
    print("%s: Depends: %s" % (os.path.basename(package), control.get("Depends")))


def dpkg_status():
    """What dpkg knows of the package: empty when nothing, not even its configuration."""
    res = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "vellmora"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    status = res.stdout.decode().strip() if res.returncode == 0 else ""
    return "" if status.endswith(" not-installed") else status


def man_excluded():
    """Whether dpkg is told to skip man pages, as slim container images do."""
    folder = "/etc/dpkg/dpkg.cfg.d"
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), errors="replace") as f:
            if any(l.startswith("path-exclude") and "/usr/share/man" in l for l in f):
                return True
    return False


def system(outdir, glyphs, display):
    if os.geteuid() != 0:
        raise Skip("installing a package needs root (CI runs as root); run ctest as root "
                   "to check dpkg -i, the installed game and dpkg --purge")
    check(shutil.which("strace"), "strace is missing: run scripts/setup")
    # The mark says an installed package is this check's own, left by a run that was killed.
    mark = os.path.join(outdir, "installed-by-check")
    if dpkg_status() and os.path.exists(mark):
        run("dpkg", "--purge", "vellmora")
    if dpkg_status():
        raise Skip("a vellmora package is already on this system (%s); not replacing it"
                   % dpkg_status())
    pkgdir = os.path.join(outdir, "pkg")
    debs = [f for f in os.listdir(pkgdir) if f.endswith(".deb")]
    check(len(debs) == 1, "no package in %s (package.deb makes it): %s" % (pkgdir, debs))
    package = os.path.join(pkgdir, debs[0])
    # Every path of the package, directories too: after the purge exactly those that were
    # there before the install may remain (/usr, /usr/share, ...).
    paths = ["/" + line.split(" ./", 1)[1].rstrip("/")
             for line in run("dpkg-deb", "-c", package).splitlines()]
    before = {p for p in paths if os.path.lexists(p)}
    open(mark, "w").close()
    try:
        print(run("dpkg", "-i", package).strip().splitlines()[-1])
        check(os.access("/usr/games/vellmora", os.X_OK), "/usr/games/vellmora not installed")
        if man_excluded():
            print("dpkg is set to leave out man pages here: the page is not looked for")
        else:
            page = run("man", "-w", "6", "vellmora").strip()
            check(page == "/usr/share/man/man6/vellmora.6.gz", "man finds %r" % page)
        here = os.path.dirname(os.path.abspath(__file__))
        res = subprocess.run([sys.executable, os.path.join(here, "run.py"), "packaged",
                              "--binary", "/usr/games/vellmora", "--glyphs", glyphs,
                              "--workdir", os.path.join(outdir, "play"),
                              "--display", str(display), "--datadir", PACKAGED_DATADIR],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        print(res.stdout.decode().strip())
        check(res.returncode == 0, "the installed game failed its run")
    finally:
        purged = subprocess.run(["dpkg", "--purge", "vellmora"], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
    check(purged.returncode == 0, "dpkg --purge failed:\n" + purged.stdout.decode())
    os.remove(mark)
    check(dpkg_status() == "", "dpkg still knows the package: %s" % dpkg_status())
    left = sorted(p for p in paths if os.path.lexists(p) and p not in before)
    left += sorted(glob.glob("/var/lib/dpkg/info/vellmora.*"))
    check(not left, "left after the purge: %s" % left)
    print("purged: none of its %d paths left" % len(paths))


def check_exe(path):
    """A 64-bit windowed program that needs only Windows' own DLLs, with its icon and its
    version information as resources. Returns its version and the DLLs it needs."""
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
    if os.path.isdir(outdir):
        shutil.rmtree(outdir)
    run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-G", "ZIP", "-B", outdir)
    zips = [f for f in os.listdir(outdir) if f.endswith(".zip")]
    check(len(zips) == 1, "cpack made %s" % zips)
    name = zips[0]
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
    modes = {"install": (install, 2), "deb": (deb, 2), "system": (system, 3),
             "zip": (winzip, 2), "refused": (refused, 2)}
    if len(sys.argv) < 2 or sys.argv[1] not in modes or len(sys.argv) != 2 + modes[sys.argv[1]][1]:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        modes[sys.argv[1]][0](*sys.argv[2:])
    except Skip as e:
        print("SKIPPED: %s" % e)
        return SKIPPED
    except Failure as e:
        print("FAILED: %s" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
