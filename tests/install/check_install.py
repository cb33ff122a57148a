#!/usr/bin/python3
"""Installs the build into a temporary prefix and checks the installed tree.

    check_install.py CMAKE BUILD_DIR SOURCE_DIR

1. `cmake --install` into the prefix.
2. The tree: the program's folder holds exactly the two programs and every
   file data/ ships (byte for byte), bin/ links into it, the desktop entry
   passes desktop-file-validate, and the icons are PNGs of their theme size.
3. The installed program, started through bin/quorvane with a fresh home,
   stays up and opens each of its five lists in its own folder.
4. A shared installation: a user who cannot write the program's folder
   updates a list with the installed qvtool from a local server; the list
   lands in $XDG_DATA_HOME/quorvane/ and the program's folder is untouched.
   As root the update runs as the user "nobody"; otherwise the program's
   folder is made read-only for the step.
"""

import ctypes
import filecmp
import functools
import http.server
import os
import select
import shutil
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import time

LISTS = ["legis.dat", "senate.dat", "house.dat", "leaders.dat", "misc.dat"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
PROGRAM_DIR = os.path.join("lib", "quorvane")
NOBODY = 65534


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)
    check(result.returncode == 0,
          f"{' '.join(command)} exited with {result.returncode}:\n{result.stdout}{result.stderr}")
    return result


def shipped_data(source):
    """Every file at data/'s top level is shipped, except its build rules and
    the desktop entry, which goes elsewhere."""
    data = os.path.join(source, "data")
    return sorted(name for name in os.listdir(data)
                  if os.path.isfile(os.path.join(data, name))
                  and name != "CMakeLists.txt" and not name.endswith(".desktop"))


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", f"{path} is no PNG")
    return struct.unpack(">II", head[16:24])


def check_tree(prefix, source):
    program_dir = os.path.join(prefix, PROGRAM_DIR)
    data = shipped_data(source)
    check(LISTS[0] in data and "qnlogo.jpg" in data, f"data/ lacks the lists or pictures: {data}")
    present = sorted(os.listdir(program_dir))
    expected = sorted(data + ["quorvane", "qvtool"])
    check(present == expected,
          f"{program_dir} holds {present}, expected {expected}")
    for name in data:
        check(filecmp.cmp(os.path.join(source, "data", name), os.path.join(program_dir, name),
                          shallow=False), f"installed {name} differs from data/{name}")
    for program in ["quorvane", "qvtool"]:
        installed = os.path.join(program_dir, program)
        check(os.access(installed, os.X_OK), f"{installed} is not executable")
        link = os.path.join(prefix, "bin", program)
        check(os.path.islink(link) and not os.path.isabs(os.readlink(link)),
              f"{link} is not a relative link")
        check(os.path.realpath(link) == os.path.realpath(installed),
              f"{link} leads to {os.path.realpath(link)}")

    desktop = os.path.join(prefix, "share", "applications", "quorvane.desktop")
    result = run(["desktop-file-validate", desktop])
    check(result.stdout.strip() == "", f"desktop-file-validate: {result.stdout}")
    with open(desktop) as f:
        entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    check(os.path.exists(os.path.join(prefix, "bin", entry["Exec"].split()[0])),
          f"Exec={entry['Exec']} is not in bin/")
    for size in ICON_SIZES:
        icon = os.path.join(prefix, "share", "icons", "hicolor", f"{size}x{size}", "apps",
                            entry["Icon"] + ".png")
        check(os.path.isfile(icon), f"missing {icon}")
        check(png_size(icon) == (size, size), f"{icon} is {png_size(icon)}, not {size}")


class OpenWatch:
    """The names of files opened in one folder, through inotify."""
    IN_OPEN = 0x20

    def __init__(self, folder):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        check(self.fd >= 0, f"inotify_init1: {os.strerror(ctypes.get_errno())}")
        wd = self.libc.inotify_add_watch(self.fd, os.fsencode(folder), self.IN_OPEN)
        check(wd >= 0, f"inotify_add_watch {folder}: {os.strerror(ctypes.get_errno())}")
        self.opened = set()

    def wait(self, seconds):
        if select.select([self.fd], [], [], seconds)[0]:
            buffer = os.read(self.fd, 65536)
            offset = 0
            while offset < len(buffer):
                _, _, _, length = struct.unpack_from("iIII", buffer, offset)
                name = buffer[offset + 16:offset + 16 + length].rstrip(b"\0")
                self.opened.add(os.fsdecode(name))
                offset += 16 + length

    def close(self):
        os.close(self.fd)


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def check_program_starts(prefix, work):
    """The program finds its lists from bin/quorvane, with a home of its own.
    The settings file exists (no first run) and names a proxy on a closed
    loopback port, so the update check at start goes nowhere."""
    home = os.path.join(work, "start-home")
    os.makedirs(os.path.join(home, ".config", "quorvane"))
    proxy_port = closed_port()
    with open(os.path.join(home, ".config", "quorvane", "quorvane.ini"), "w") as f:
        f.write("[Proxy]\r\nUse Proxy=1\r\nProxy Host=127.0.0.1\r\n"
                f"Proxy Port={proxy_port}\r\n[Main]\r\nStatus=0\r\n")
    env = {key: value for key, value in os.environ.items() if not key.startswith("XDG_")}
    env.update(HOME=home, QT_QPA_PLATFORM="offscreen",
               http_proxy=f"http://127.0.0.1:{proxy_port}",
               https_proxy=f"http://127.0.0.1:{proxy_port}")
    watch = OpenWatch(os.path.join(prefix, PROGRAM_DIR))
    log = open(os.path.join(work, "program.log"), "w+")
    program = subprocess.Popen([os.path.join(prefix, "bin", "quorvane")], env=env,
                               stdout=log, stderr=subprocess.STDOUT, cwd=work)
    try:
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and program.poll() is None:
            watch.wait(0.5)
            if set(LISTS) <= watch.opened:
                break
        # Still up a moment after reading its lists.
        time.sleep(2)
        log.seek(0)
        check(program.poll() is None,
              f"the installed program ended with {program.returncode}:\n{log.read()}")
        missing = [name for name in LISTS if name not in watch.opened]
        check(not missing, f"the installed program did not open {missing} in its folder")
    finally:
        program.kill()
        program.wait()
        watch.close()
        log.close()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def check_shared_update(prefix, work):
    qvtool = os.path.join(prefix, "bin", "qvtool")
    program_dir = os.path.join(prefix, PROGRAM_DIR)
    site = os.path.join(work, "site")
    os.makedirs(site)
    run([qvtool, "keygen", "lists.secret", "lists.public"], cwd=site)
    shutil.copyfile(os.path.join(program_dir, "senate.dat"), os.path.join(site, "temp2.dat"))
    run([qvtool, "pack", "--sign", "lists.secret", "senate2.dat", "temp2.dat"], cwd=site)
    with open(os.path.join(site, "qndates2.dat"), "w", newline="") as f:
        f.write("1/1/2099\r\n1/1/1980\r\n1/1/1980\r\n1/1/1980\r\n1/1/1980\r\n")
    os.chmod(os.path.join(site, "lists.public"), 0o644)

    user = os.path.join(work, "user")
    os.makedirs(user)
    as_user = []
    if os.geteuid() == 0:
        os.chown(user, NOBODY, NOBODY)
        as_user = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"]
    else:
        os.chmod(program_dir, 0o555)
    before = {name: os.stat(os.path.join(program_dir, name)).st_mtime_ns
              for name in os.listdir(program_dir)}

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(QuietHandler, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    env = {key: value for key, value in os.environ.items() if not key.startswith("XDG_")}
    env.update(HOME=user, XDG_DATA_HOME=os.path.join(user, "data"),
               XDG_CONFIG_HOME=os.path.join(user, "config"))
    for key in ["http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"]:
        env.pop(key, None)
    try:
        result = run(as_user + [qvtool, "update", "--dir", program_dir, "--server", base,
                                "--mirror", base, "--yes",
                                "--key", os.path.join(site, "lists.public")], env=env, cwd=user)
    finally:
        server.shutdown()
        os.chmod(program_dir, 0o755)
    check("Installed senate.dat (Senate, 1/1/2099)" in result.stdout,
          f"qvtool update said:\n{result.stdout}{result.stderr}")
    installed = os.path.join(user, "data", "quorvane", "senate.dat")
    check(os.path.isfile(installed), f"the update did not install {installed}")
    check(filecmp.cmp(installed, os.path.join(site, "temp2.dat"), shallow=False),
          f"{installed} is not the served list")
    check(stat.S_IMODE(os.stat(os.path.dirname(installed)).st_mode) == 0o700,
          "the user's list folder is not private (0700)")
    after = {name: os.stat(os.path.join(program_dir, name)).st_mtime_ns
             for name in os.listdir(program_dir)}
    check(after == before, "the update changed the program's folder")


def main():
    cmake, build, source = sys.argv[1:4]
    work = tempfile.mkdtemp(prefix="qv-install-")
    try:
        # Readable by the unprivileged user of the shared-installation step.
        os.chmod(work, 0o755)
        prefix = os.path.join(work, "prefix")
        run([cmake, "--install", build, "--prefix", prefix])
        steps = [("installed tree", lambda: check_tree(prefix, source)),
                 ("program start", lambda: check_program_starts(prefix, work)),
                 ("shared installation update", lambda: check_shared_update(prefix, work))]
        failed = 0
        for name, step in steps:
            try:
                step()
                print(f"ok: {name}")
            except Failure as failure:
                failed += 1
                print(f"FAILED: {name}: {failure}")
        return 1 if failed else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
