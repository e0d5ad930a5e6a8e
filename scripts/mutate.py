#!/usr/bin/env python3
"""Plants mechanical faults in the code, one at a time, and reports which test suites catch them.

Each fault is one small change a slip of the hand could make: a comparison flipped or loosened,
a constant moved by one, a logical or arithmetic operator swapped, a negation dropped, one of the
draw's numbers passed for another, a string emptied, a statement deleted. For each, the test
programs are rebuilt (a Debug build in its own folder) and run, side by side; one that fails or
hangs catches the fault, and a fault that does not compile is left out. Prints every fault that
no suite catches, then the count each suite catches and the faults that only one suite catches.

Usage: scripts/mutate.py [--build DIR] [--only REGEX] FILE...
  e.g. scripts/mutate.py draw/number_rules.cpp draw/draw_analysis.cpp window/qt/main_window.cpp
"""
import argparse
import os
import re
import signal
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SUITES = ["number_rules_test", "draw_analysis_test", "qt_window_test"]

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


def run(command):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True)


def run_suites(programs, timeout=8):
    """Runs the test programs side by side; True for each that fails or hangs."""
    started = [subprocess.Popen([program, "--gtest_brief=1"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL) for program in programs]
    failed = []
    for process in started:
        try:
            failed.append(process.wait(timeout=timeout) != 0)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            failed.append(True)
    return failed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--only", default="", help="plant only faults whose description matches")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    # Stopped from outside, it still puts the code back as it was.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))

    if run(["cmake", "-S", ".", "-B", args.build, "-DCMAKE_BUILD_TYPE=Debug"]).returncode != 0:
        sys.exit("configuring the build failed")
    build = ["cmake", "--build", args.build, "--parallel", str(os.cpu_count()), "--target", *SUITES]
    if run(build).returncode != 0:
        sys.exit("the unchanged code does not build")
    programs = [os.path.join(args.build, "tests", suite) for suite in SUITES]
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

    survivors, caught_by = [], {suite: [] for suite in SUITES}
    planted = 0
    for path in args.files:
        original = open(os.path.join(ROOT, path), encoding="utf-8").read()
        try:
            for number, what, text in mutants(os.path.join(ROOT, path)):
                if not re.search(args.only, what):
                    continue
                with open(os.path.join(ROOT, path), "w", encoding="utf-8") as out:
                    out.write(text)
                if run(build).returncode != 0:
                    continue
                planted += 1
                fault = f"{path}:{number}: {what}"
                catchers = [suite for suite, failed in zip(SUITES, run_suites(programs)) if failed]
                for suite in catchers:
                    caught_by[suite].append(fault)
                print(f"{'caught' if catchers else 'MISSED'} {fault}  {' '.join(catchers)}",
                      flush=True)
                if not catchers:
                    survivors.append(fault)
        finally:
            with open(os.path.join(ROOT, path), "w", encoding="utf-8") as out:
                out.write(original)
    run(build)

    print(f"\n{planted} faults planted, {planted - len(survivors)} caught, "
          f"{len(survivors)} missed:")
    for fault in survivors:
        print("  " + fault)
    for suite in SUITES:
        alone = [f for f in caught_by[suite]
                 if all(f not in caught_by[other] for other in SUITES if other != suite)]
        print(f"\n{suite}: catches {len(caught_by[suite])}, {len(alone)} of them alone")
        for fault in alone:
            print("  " + fault)


if __name__ == "__main__":
    main()
