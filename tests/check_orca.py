#!/usr/bin/env python3
"""What Orca, the real screen reader, says of Dravix as a blind user works it.

Usage: check_orca.py DRAVIX

A desktop of the test's own, in a PID namespace where Orca meets no other Orca of the same user
(it will not start beside one): an X server, a window manager, a D-Bus session and AT-SPI bus,
Orca, and the program. Keys go in one by one, as a person types them, each once Orca has said
what the last one brought. Orca's speech is read from its debug log, made line-buffered: Orca
buffers it in blocks, and the last words would come only as it quits. No synthesiser speaks:
speech-dispatcher is told not to start, and Orca logs what it would say all the same.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

LINE_123 = "合值：6 和尾：6 跨度：2 两码合：345 两码差：121 两码积：236"
LINE_456 = "合值：15 和尾：5 跨度：2 两码合：901 两码差：121 两码积：040"
# Keys (xdotool's names), what Orca must say after them in this order, and what it must not.
STEPS = [
    ("", ["Dravix", "第一个号码", "请输入3D号码："], []),
    ("1", ["第二个号码"], []),
    ("2", ["第三个号码"], []),
    ("3", ["计算"], []),
    ("Return", [LINE_123], ["计算结果"]),
    ("Tab", ["清空"], []),  # the focus stayed on 计算
    ("Return shift+Tab", ["第一个号码"], ["合值"]),  # 清空 says nothing new
    ("4", ["第二个号码"], []),
    ("5", ["第三个号码"], []),
    ("6", ["计算"], []),
    ("Return", [LINE_456], ["计算结果"]),
    ("Return", [LINE_456], ["计算结果"]),  # the same line again
    ("Tab Tab", ["清空", "计算结果", LINE_456], []),
    ("Tab", ["第二个号码", "5"], []),  # a box of one digit
    ("BackSpace", ["第三个号码", "6"], []),
    ("Tab Tab", ["第一个号码", "4", "计算"], []),
    ("Return", ["请输入开奖号码"], []),
    ("Return", ["第一个号码"], []),
    ("ctrl+a ctrl+v", ["第二个号码"], []),  # 40000 pasted into the first box
    ("7", ["第三个号码"], []),
    ("8", ["计算"], []),
    ("Return", ["运行时错误：溢出"], []),
    ("Return", ["计算"], []),
]
TOOLS = ["Xvfb", "dbus-daemon", "openbox", "orca", "xdotool", "xclip", "unshare"]
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PATIENCE = 60  # seconds for Orca to say what a step brings, on a loaded machine or a sanitizer build


def fail(message):
    sys.exit(f"FAILED: {message}")


def wait_for(what, ready, log):
    """Waits for a part of the desktop; when it does not come, says so with what the parts said."""
    deadline = time.monotonic() + PATIENCE
    while not ready():
        if time.monotonic() > deadline:
            with open(log.name, errors="replace") as said:
                fail(f"the desktop could not be set up: no {what} within {PATIENCE} s\n"
                     f"{said.read()[-4000:]}")
        time.sleep(0.1)


class Speech:
    """What Orca has said, from its debug log."""

    def __init__(self, log):
        self.log = log
        self.read = 0

    def since(self):
        with open(self.log, encoding="utf-8", errors="replace") as lines:
            spoken = re.findall(r"SPEECH OUTPUT: '(.*)'\s*\{", lines.read())
        return spoken[self.read :]

    def expect(self, keys, heard, never, program):
        """Waits until everything in heard is said in order, then takes it as read."""
        pattern = ".*?".join(rf"(?<!\d){re.escape(text)}(?!\d)" for text in heard)
        deadline = time.monotonic() + PATIENCE
        while True:
            said = self.since()
            found = re.search(pattern, " | ".join(said), re.DOTALL)
            if found or time.monotonic() > deadline:
                break
            if program.poll() is not None:
                fail(f"after {keys or 'start'!r} Dravix ended with exit code {program.returncode}")
            time.sleep(0.1)
        spoken = " | ".join(said)
        if not found:
            fail(f"after {keys or 'start'!r} Orca was to say {heard}, and said: {spoken}")
        unwanted = [text for text in never if text in spoken[: found.end()]]
        if unwanted:
            fail(f"after {keys!r} Orca said {unwanted}: {spoken}")
        self.read += len(said)


def desktop(dravix, work):
    env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=f"{work}/config",
               XDG_DATA_HOME=f"{work}/data", XDG_CACHE_HOME=f"{work}/cache", LANG="C.UTF-8",
               LANGUAGE="C.UTF-8", QT_QPA_PLATFORM="xcb")
    os.makedirs(f"{work}/config/speech-dispatcher")
    with open(f"{work}/config/speech-dispatcher/speechd.conf", "w") as conf:
        conf.write("DisableAutoSpawn\n")
    # What the desktop's parts say, shown when one does not come up.
    parts = open(f"{work}/desktop.log", "w")
    read, write = os.pipe()
    subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp"], pass_fds=[write], stderr=parts)
    os.close(write)
    display = os.read(read, 16).decode().strip()
    if not display:
        fail("the desktop could not be set up: Xvfb did not start")
    env["DISPLAY"] = f":{display}"
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                           stdout=subprocess.PIPE, stderr=parts, env=env, text=True)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=env, stderr=parts)
    started = f"{work}/window-manager"
    subprocess.Popen(["openbox", "--startup", f"touch {started}"], env=env, stdout=parts,
                     stderr=parts)
    wait_for("window manager", lambda: os.path.exists(started), parts)
    speech_log = f"{work}/orca.log"
    open(speech_log, "w").close()
    orca = shutil.which("orca")
    with open(orca) as script:
        python = script.readline()[2:].split()
    start = ("import functools, runpy; runpy.run_path(%r, run_name='__main__', "
             "init_globals={'open': functools.partial(open, buffering=1)})" % orca)
    reader = subprocess.Popen(
        [*python, "-c", start, "-u", f"{work}/orca", "--debug-file", speech_log], env=env,
        stderr=parts)
    speech = Speech(speech_log)
    wait_for("Orca", lambda: speech.since() or reader.poll() is not None, parts)
    if reader.poll() is not None:
        fail(f"the desktop could not be set up: Orca ended with exit code {reader.returncode}")
    speech.read = len(speech.since())
    subprocess.run(["xclip", "-selection", "clipboard"], input="40000", env=env, text=True)
    # A sanitizer build, here on a real display and bus: X's keyboard library reads a name with
    # strndup up to its length, with no NUL after it, which is sound but which AddressSanitizer's
    # strict string checks report; and Qt's D-Bus thread may hold a message for the accessibility
    # bus as the program ends, which libdbus's allocations then show as a leak. Only what libdbus
    # itself allocates is let go.
    if "ASAN_OPTIONS" in env:
        env["ASAN_OPTIONS"] += ":strict_string_checks=0"
        with open(f"{work}/leaks.supp", "w") as suppressions:
            suppressions.write("leak:libdbus-1.so\n")
        env["LSAN_OPTIONS"] = f"suppressions={work}/leaks.supp"
    program = subprocess.Popen([dravix], env=env)
    for keys, heard, never in STEPS:
        if keys:
            time.sleep(0.3)
            subprocess.run(["xdotool", "key", "--delay", "300", *keys.split()], env=env)
        speech.expect(keys, heard, never, program)
    subprocess.run(["xdotool", "key", "alt+F4"], env=env)
    try:
        code = program.wait(PATIENCE)
    except subprocess.TimeoutExpired:
        fail("Dravix did not close")
    if code != 0:
        fail(f"Dravix ended with exit code {code}")
    print(f"Orca heard all {len(STEPS)} steps")


def main():
    if len(sys.argv) == 3:
        with tempfile.TemporaryDirectory() as work:
            desktop(sys.argv[2], work)
        return
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    missing += [] if os.path.exists(BUS_LAUNCHER) else [BUS_LAUNCHER]
    if missing:
        print(f"skipped: not installed: {' '.join(missing)}")
        sys.exit(77)
    user = [] if os.getuid() == 0 else ["--user", "--map-root-user"]
    namespace = ["unshare", *user, "--pid", "--fork", "--mount-proc", "--kill-child"]
    if subprocess.run([*namespace, "true"]).returncode != 0:
        fail(f"the desktop could not be set up: {' '.join(namespace)} failed")
    sys.exit(subprocess.run([*namespace, sys.executable, __file__, "--desktop", sys.argv[1]])
             .returncode)


main()
