#!/usr/bin/env python3
"""Plants mechanical faults in the code, one at a time, and reports which test suites catch them.

Each fault is one small change a slip of the hand could make: a comparison flipped or loosened,
a constant moved by one, a logical or arithmetic operator swapped, a negation dropped, one of the
draw's numbers passed for another, a string emptied, a statement deleted. For each, the tests are
rebuilt (a Debug build in a folder of its own) and run; a suite that fails catches the fault, a
fault that does not compile is left out, and one under which a suite only runs out of time is
counted apart, neither caught nor missed. The suites must pass on the unchanged code first. Prints
every fault that no suite catches, those that timed out, the share caught in each file, the count
each suite catches and the faults only one suite catches.

A file that only the Windows build compiles (window/win32/) is judged by the Windows window's
suite under Wine, at 96 and at 144 dots per inch, as scripts/test_windows.sh runs it: a cross
build and a Wine run take about a minute a fault, so such a file gets a sample of its faults,
chosen by a seed, so that the same code gives the same sample.

Usage: scripts/mutate.py [--build DIR] [--only REGEX] [--sample N] [--seed S] FILE...
  e.g. scripts/mutate.py draw/number_rules.cpp draw/draw_analysis.cpp window/form_design.cpp \\
           window/qt/main_window.cpp window/win32/form1.cpp
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LINUX_SUITES = ["number_rules_test", "draw_analysis_test", "qt_window_test"]
WINDOWS_SUITE = "win32_window"

# Binary operators stand between spaces in this code base (clang-format), which tells them apart
# from template brackets, pointers and stream operators.
SWAPS = [(" <= ", [" < ", " > "]), (" >= ", [" > ", " < "]), (" < ", [" <= ", " >= "]),
         (" > ", [" >= ", " <= "]), (" == ", [" != "]), (" != ", [" == "]),
         (" && ", [" || "]), (" || ", [" && "]), (" + ", [" - "]), (" - ", [" + "]),
         (" * ", [" / "]), ("true", ["false"]), ("false", ["true"])]
NUMBER = re.compile(r"(?<![\w.])(0x[0-9A-Fa-f]+|\d+)(?![\w.])")
STRING = re.compile(r'"(?:[^"\\]|\\.)+"')
NEGATION = re.compile(r"!(?!=)")
# The three numbers of a draw and the arguments of its helpers: one passed for another.
ARGUMENT = re.compile(r"(?<=[(, ])([abcxyz])(?=[,)])")
SIBLINGS = {"a": "bc", "b": "ac", "c": "ab", "x": "yz", "y": "xz", "z": "xy"}
STATEMENT = re.compile(r"^\s+(?:[\w:]+(?:\.|->)\w+\(.*\)|[\w.\[\]>-]+ [-+*|]?= .*|\+\+\w+|--\w+|"
                       r"\w+\(.*\));\s*$")


def mutants(path):
    """Yields (line number, description, new text) for every fault planted in one file."""
    lines = open(path, encoding="utf-8").read().split("\n")
    for index, line in enumerate(lines):
        code = line.split("//")[0] if '"' not in line else line
        stripped = code.strip()
        if not stripped or stripped.startswith(("#", "//", "/*", "*")):
            continue

        def variant(new_line, what):
            changed = lines[:index] + [new_line] + lines[index + 1:]
            return index + 1, f"{what}: {stripped[:70]}", "\n".join(changed)

        for old, news in SWAPS:
            for match in re.finditer(re.escape(old), code):
                for new in news:
                    yield variant(line[:match.start()] + new + line[match.end():],
                                  f"{old.strip()} -> {new.strip()}")
        for match in NUMBER.finditer(code):
            text = match.group(1)
            value = int(text, 16) if text.startswith("0x") else int(text)
            for moved in (value + 1, value - 1):
                if moved < 0:
                    continue
                new = hex(moved) if text.startswith("0x") else str(moved)
                yield variant(line[:match.start()] + new + line[match.end():], f"{text} -> {new}")
        for match in STRING.finditer(code):
            yield variant(line[:match.start()] + '""' + line[match.end():], "string emptied")
        for match in ARGUMENT.finditer(code):
            for other in SIBLINGS[match.group(1)]:
                yield variant(line[:match.start()] + other + line[match.end():],
                              f"{match.group(1)} -> {other}")
        for match in NEGATION.finditer(code):
            yield variant(line[:match.start()] + line[match.end():], "negation dropped")
        if STATEMENT.match(code) and not stripped.startswith("return"):
            yield variant("", "statement deleted")


def run(command, cwd=ROOT, **options):
    return subprocess.run(command, cwd=cwd, capture_output=True, text=True, **options)


class LinuxSuites:
    """The calculation's suites and the Qt window's, side by side."""

    suites = LINUX_SUITES

    def __init__(self, build):
        self.build = build
        self.command = ["cmake", "--build", build, "--parallel", str(os.cpu_count()), "--target",
                        *self.suites]
        if run(["cmake", "-S", ".", "-B", build, "-DCMAKE_BUILD_TYPE=Debug"]).returncode != 0:
            sys.exit("configuring the build failed")
        os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

    def verdicts(self, timeout=8):
        """Each suite that does not pass, and how: "failed" or "timed out"."""
        started = [subprocess.Popen([os.path.join(self.build, "tests", suite), "--gtest_brief=1"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                   for suite in self.suites]
        verdicts = {}
        for suite, process in zip(self.suites, started):
            try:
                if process.wait(timeout=timeout) != 0:
                    verdicts[suite] = "failed"
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                verdicts[suite] = "timed out"
        return verdicts


class WindowsSuite:
    """The Windows window's suite, cross-built and run under Wine on a display of its own."""

    suites = [WINDOWS_SUITE]

    def __init__(self, build):
        self.build = build
        self.command = ["cmake", "--build", build, "--parallel", str(os.cpu_count()), "--target",
                        "win32_window_test", "dravix"]
        configured = run(["cmake", "-S", ".", "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
                          "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake",
                          "-DDRAVIX_GTEST_SOURCE_DIR=/usr/src/googletest"])
        if configured.returncode != 0:
            sys.exit("configuring the Windows build failed")
        # Xvfb and a prefix at each DPI with its wineserver, as scripts/test_windows.sh has them;
        # they outlive this shell, holding its output open, which is why that goes to a file.
        log = os.path.join(build, "wine.log")
        with open(log, "w") as out:
            started = subprocess.run(
                ["bash", "-c", 'source scripts/lib/wine.sh && start_display && '
                 'prepare_prefix "$0/wine" && prepare_prefix "$0/wine-144" 144 && '
                 'echo "$DISPLAY $xvfb_pid $wineserver"', build],
                cwd=ROOT, stdout=out, stderr=subprocess.STDOUT)
        if started.returncode != 0:
            sys.exit("starting Wine failed: " + open(log).read())
        display, self.xvfb, self.wineserver = open(log).read().split()[-3:]
        self.environment = dict(os.environ, DISPLAY=display, WINEPREFIX=os.path.join(build, "wine"))

    def verdicts(self):
        tests = run(["ctest", "-R", f"^{WINDOWS_SUITE}", "--timeout", "300"], env=self.environment,
                    cwd=self.build)
        if tests.returncode == 0:
            return {}
        return {WINDOWS_SUITE: "timed out" if "***Timeout" in tests.stdout else "failed"}

    def stop(self):
        for prefix in ("wine", "wine-144"):
            subprocess.run([self.wineserver, "-k"], stderr=subprocess.DEVNULL,
                           env=dict(self.environment, WINEPREFIX=os.path.join(self.build, prefix)))
        os.kill(int(self.xvfb), signal.SIGTERM)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"),
                        help="the Linux build; the Windows one is the same name with -windows")
    parser.add_argument("--only", default="", help="plant only faults whose description matches")
    parser.add_argument("--sample", type=int, default=40,
                        help="faults to plant in each file of the Windows build (0: all)")
    parser.add_argument("--seed", type=int, default=1, help="which sample")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    # Stopped from outside, it still puts the code back as it was.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))

    def windows_only(path):
        return path.startswith("window/win32/")

    judges = {}
    if any(not windows_only(path) for path in args.files):
        judges[False] = LinuxSuites(args.build)
    if any(windows_only(path) for path in args.files):
        judges[True] = WindowsSuite(args.build + "-windows")
    survivors, timeouts, shares, caught_by = [], [], [], {}
    try:
        for judge in judges.values():
            if run(judge.command).returncode != 0:
                sys.exit("the unchanged code does not build")
            # A suite that fails or hangs anyway would seem to catch every fault.
            unchanged = judge.verdicts()
            if unchanged:
                sys.exit("the unchanged code does not pass: " +
                         ", ".join(f"{suite} {how}" for suite, how in unchanged.items()))
            caught_by.update({suite: [] for suite in judge.suites})
        for path in args.files:
            judge = judges[windows_only(path)]
            faults = [fault for fault in mutants(os.path.join(ROOT, path))
                      if re.search(args.only, fault[1])]
            limit = len(faults)
            if windows_only(path) and args.sample:
                random.Random(args.seed).shuffle(faults)
                limit = args.sample
            original = open(os.path.join(ROOT, path), encoding="utf-8").read()
            planted = caught = timed_out = 0
            try:
                for number, what, text in faults:
                    if planted == limit:
                        break
                    with open(os.path.join(ROOT, path), "w", encoding="utf-8") as out:
                        out.write(text)
                    if run(judge.command).returncode != 0:
                        continue
                    planted += 1
                    fault = f"{path}:{number}: {what}"
                    verdicts = judge.verdicts()
                    catchers = [suite for suite, how in verdicts.items() if how == "failed"]
                    for suite in catchers:
                        caught_by[suite].append(fault)
                    if catchers:
                        caught += 1
                        print(f"caught {fault}  {' '.join(catchers)}", flush=True)
                    elif verdicts:
                        timed_out += 1
                        timeouts.append(fault)
                        print(f"TIMED OUT {fault}  {' '.join(verdicts)}", flush=True)
                    else:
                        survivors.append(fault)
                        print(f"MISSED {fault}", flush=True)
            finally:
                with open(os.path.join(ROOT, path), "w", encoding="utf-8") as out:
                    out.write(original)
            judged = planted - timed_out
            shares.append(f"{path}: {caught} of {judged} caught"
                          f" ({100 * caught / max(judged, 1):.1f} %), {timed_out} timed out")
        for judge in judges.values():
            run(judge.command)
    finally:
        if True in judges:
            judges[True].stop()

    print(f"\n{len(survivors)} missed:")
    for fault in survivors:
        print("  " + fault)
    print(f"\n{len(timeouts)} timed out, neither caught nor missed:")
    for fault in timeouts:
        print("  " + fault)
    print("\n" + "\n".join(shares))
    for suite, faults in caught_by.items():
        alone = [f for f in faults
                 if all(f not in caught_by[other] for other in caught_by if other != suite)]
        print(f"\n{suite}: catches {len(faults)}, {len(alone)} of them alone")
        for fault in alone:
            print("  " + fault)


if __name__ == "__main__":
    main()
