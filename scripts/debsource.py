"""Debian's original source tarballs for the libraries the release builds bundle, and the
cache those builds share. Imported by scripts/windeps and scripts/webdeps.

The tarballs come with `apt-get source` through an apt configuration of its own under
DEPS/apt, which names the machine's own Debian mirror (read from its apt sources) and trusts
only the Debian archive keyring; the system's apt configuration is never touched. Each
build's prefix is keyed by the tarballs' checksums and its recipe's files."""
import glob
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tarfile
import time

KEYRING = "/usr/share/keyrings/debian-archive-keyring.gpg"
APT_SOURCES = "/etc/apt/sources.list"  # and the .list and .sources files in APT_SOURCES.d
PACKAGES = {"allegro4.4": "allegro-4.4.3.1", "libdumb": "dumb-0.9.3"}  # source -> tree

NAME = os.path.basename(sys.argv[0])  # which script speaks


def say(message):
    print(NAME + ": " + message, file=sys.stderr, flush=True)


def fail(message):
    say(message)
    sys.exit(1)


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


# ---- the machine's Debian mirror --------------------------------------------------------

def codename():
    with open("/etc/os-release") as f:
        for line in f:
            if line.startswith("VERSION_CODENAME="):
                return line.split("=", 1)[1].strip().strip('"')
    fail("/etc/os-release names no release codename")


def source_entries():
    """(uri, suites, components) of every enabled apt source, one-line and deb822 files."""
    entries = []
    lists = [APT_SOURCES] + sorted(glob.glob(APT_SOURCES + ".d/*.list"))
    for path in lists:
        if not os.path.exists(path):
            continue
        with open(path) as f:
            for line in f:
                line = re.sub(r"\[[^]]*\]", " ", line.split("#", 1)[0]).split()
                if len(line) >= 4 and line[0] in ("deb", "deb-src"):
                    entries.append((line[1], [line[2]], line[3:]))
    for path in sorted(glob.glob(APT_SOURCES + ".d/*.sources")):
        with open(path) as f:
            stanzas = re.split(r"\n\s*\n", f.read())
        for stanza in stanzas:
            fields = {}
            for line in stanza.splitlines():
                if line.startswith("#") or ":" not in line or line[0].isspace():
                    continue
                key, value = line.split(":", 1)
                fields[key.strip().lower()] = value.split()
            if fields.get("enabled", ["yes"])[0].lower() == "no":
                continue
            for uri in fields.get("uris", []):
                entries.append((uri, fields.get("suites", []), fields.get("components", [])))
    return entries


def mirror():
    """The URI and suite of the first source that serves this release's main archive."""
    release = codename()
    for uri, suites, components in source_entries():
        if release in suites and "main" in components and re.match(r"(https?|file):", uri):
            return uri, release
    fail("no apt source serves %s main; add one to the system's apt sources" % release)


# ---- fetching the tarballs --------------------------------------------------------------

class Apt:
    """apt-get with every path of its own under one directory."""

    def __init__(self, root):
        self.root = root
        for d in ("lists/partial", "cache/archives/partial", "etc/preferences.d",
                  "etc/trusted.gpg.d"):
            os.makedirs(os.path.join(root, d), exist_ok=True)
        self.status = os.path.join(root, "status")
        open(self.status, "a").close()
        self.sources = os.path.join(root, "etc", "sources.list")
        uri, suite = mirror()
        entry = "deb-src [signed-by=%s] %s %s main\n" % (KEYRING, uri, suite)
        if not os.path.exists(self.sources) or open(self.sources).read() != entry:
            with open(self.sources, "w") as f:
                f.write(entry)
            shutil.rmtree(os.path.join(root, "lists"))
            os.makedirs(os.path.join(root, "lists", "partial"))

    def run(self, *args, cwd=None, check=True):
        user = "root" if os.geteuid() == 0 else ""
        options = {
            "Dir::Etc::SourceList": self.sources,
            "Dir::Etc::SourceParts": "/dev/null",
            "Dir::Etc::Preferences": "/dev/null",
            "Dir::Etc::PreferencesParts": os.path.join(self.root, "etc", "preferences.d"),
            "Dir::Etc::Trusted": "/dev/null",
            "Dir::Etc::TrustedParts": os.path.join(self.root, "etc", "trusted.gpg.d"),
            "Dir::State::Lists": os.path.join(self.root, "lists"),
            "Dir::State::status": self.status,
            "Dir::Cache": os.path.join(self.root, "cache"),
            "APT::Sandbox::User": user,  # the private directories belong to whoever runs this
        }
        cmd = ["apt-get", "-q"]
        for key, value in options.items():
            cmd += ["-o", "%s=%s" % (key, value)]
        res = subprocess.run(cmd + list(args), cwd=cwd, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, env=dict(os.environ, LC_ALL="C"))
        out = res.stdout.decode(errors="replace")
        if check and res.returncode != 0:
            fail("apt-get %s failed:\n%s" % (" ".join(args), out))
        return res.returncode, out

    def originals(self, srcdir):
        """Downloads each package's original tarball into srcdir, checked against the size
        and SHA-256 of the signed index; returns {package: path}."""
        if not glob.glob(os.path.join(self.root, "lists", "*Sources*")):
            self.run("update")
        # Listing from an empty directory names every file, with the index's checksums.
        listing = os.path.join(self.root, "listing")
        shutil.rmtree(listing, ignore_errors=True)
        os.makedirs(listing)
        _, out = self.run("source", "--print-uris", *PACKAGES, cwd=listing)
        wanted = {}
        for m in re.finditer(r"^'[^']+' (\S+\.orig\.tar\.\w+) (\d+) SHA256:([0-9a-f]{64})$",
                             out, re.M):
            wanted[m.group(1)] = (int(m.group(2)), m.group(3))
        found = {p: n for p in PACKAGES for n in wanted if n.startswith(p + "_")}
        if sorted(found) != sorted(PACKAGES):
            fail("the index names no original tarball for %s:\n%s"
                 % (sorted(set(PACKAGES) - set(found)), out))

        def verified(name):
            path = os.path.join(srcdir, name)
            size, digest = wanted[name]
            return os.path.exists(path) and os.path.getsize(path) == size and sha256(path) == digest

        os.makedirs(srcdir, exist_ok=True)
        if not all(verified(n) for n in found.values()):
            # Only the original tarballs are used; a mirror that lacks Debian's own patches
            # makes apt-get report those as missing, which does not matter here.
            _, out = self.run("source", "--download-only", *PACKAGES, cwd=srcdir, check=False)
            for name in found.values():
                if not verified(name):
                    fail("%s is missing or differs from the signed index:\n%s" % (name, out))
        return {p: os.path.join(srcdir, n) for p, n in found.items()}



# ---- building ----------------------------------------------------------------------------

def step(log, *cmd, cwd=None):
    with open(log, "a") as f:
        f.write("$ %s\n" % " ".join(cmd))
        f.flush()
        res = subprocess.run(cmd, cwd=cwd, stdout=f, stderr=subprocess.STDOUT)
    if res.returncode != 0:
        with open(log) as f:
            tail = f.read()[-4000:]
        fail("%s failed (log %s):\n%s" % (" ".join(cmd[:3]), log, tail))


def cmake_build(log, source, build, prefix, *options, launcher=()):
    """Configures, builds and installs one CMake project into prefix, Release; launcher is
    what the configure step runs under (emcmake for the browser)."""
    jobs = str(os.cpu_count() or 2)
    step(log, *launcher, "cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
         "-DCMAKE_INSTALL_PREFIX=" + prefix, "-Wno-dev", *options)
    step(log, "cmake", "--build", build, "-j" + jobs)
    step(log, "cmake", "--install", build)


def unpack(tarballs, work):
    """A fresh work directory holding every tarball unpacked; returns {package: tree}."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for tarball in tarballs.values():
        with tarfile.open(tarball) as t:
            t.extractall(work)
    return {p: os.path.join(work, tree) for p, tree in PACKAGES.items()}


def cached(builddir, recipe, build):
    """The prefix for these tarballs and recipe files under BUILD_DIR/deps, built once with
    build(tarballs, work, prefix, log) and reused while neither changes."""
    deps = os.path.join(os.path.abspath(builddir), "deps")
    tarballs = Apt(os.path.join(deps, "apt")).originals(os.path.join(deps, "src"))
    key = hashlib.sha256()
    for path in [tarballs[p] for p in sorted(tarballs)] + list(recipe):
        key.update(sha256(path).encode())
    prefix = os.path.join(deps, "prefix-" + key.hexdigest()[:16])
    done = os.path.join(prefix, ".built")
    if os.path.exists(done):
        say("reusing %s" % prefix)
        return prefix
    started = time.monotonic()
    shutil.rmtree(prefix, ignore_errors=True)
    say("building Allegro and DUMB into %s" % prefix)
    work = os.path.join(deps, "work")
    unpack(tarballs, work)
    build(tarballs, work, prefix, os.path.join(work, "build.log"))
    os.makedirs(prefix, exist_ok=True)
    open(done, "w").close()
    shutil.rmtree(work)
    say("built in %.0f s" % (time.monotonic() - started))
    return prefix
