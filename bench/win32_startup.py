#!/usr/bin/env python3
"""Start-up and memory of the Windows Dravix against the least Chinese Win32 window, under Wine.

Launches the two start-up probes alternately, in interleaved rounds, each timed from the launch
to the moment it reports that its first paint is done, and reads its working set then. Prints
the medians of each, and the medians of the rounds' ratios with their targets; exits 1 when a
target is missed. A round's ratio compares two launches made moments apart, so what slows the
whole machine for a while slows both.

Usage: bench/win32_startup.py BUILD_DIR [RUNS], with DISPLAY and WINEPREFIX set up, a wineserver
running and WINE naming the loader for the build's programs, wine64 unless set
(scripts/bench_windows.sh does all of it).
"""
import os
import statistics
import subprocess
import sys
import time

# The floor, one box in the Song face at 12 points, loads a Chinese face as any Chinese window
# must; Dravix may take 15 % more time and memory than that.
TIME_TARGET, MEMORY_TARGET = 1.15, 1.15


# Launched the moment the last program has ended, while Wine still tidies up after it, either
# program at random took some 40 ms longer to start; a pause lets every run start from a settled
# Wine, as a person's launch does.
SETTLE_SECONDS = 0.5


def run_once(wine, program):
    start = time.monotonic()
    with subprocess.Popen([wine, program], stdout=subprocess.PIPE, text=True) as probe:
        line = probe.stdout.readline()
        elapsed_ms = (time.monotonic() - start) * 1000
        probe.wait(timeout=60)
    time.sleep(SETTLE_SECONDS)
    fields = dict(item.split("=") for item in line.split()[1:])
    return elapsed_ms, int(fields["working_set_kib"])


def main():
    if len(sys.argv) < 2 or not os.environ.get("DISPLAY") or not os.environ.get("WINEPREFIX"):
        sys.exit(__doc__)
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    wine = os.environ.get("WINE", "/usr/lib/wine/wine64")
    programs = {
        "floor": os.path.join(build, "bench", "bare_startup_probe.exe"),
        "Dravix": os.path.join(build, "bench", "dravix_startup_probe.exe"),
    }
    samples = {name: [] for name in programs}
    for program in programs.values():  # warm the file cache once
        run_once(wine, program)
    for _ in range(runs):
        for name, program in programs.items():
            samples[name].append(run_once(wine, program))

    for name, values in samples.items():
        paint = statistics.median(v[0] for v in values)
        memory = statistics.median(v[1] for v in values)
        print(f"{name:12} first paint {paint:7.1f} ms   working set {memory / 1024:6.1f} MiB"
              f"   ({runs} runs)")
    rounds = list(zip(samples["Dravix"], samples["floor"]))
    time_ratio = statistics.median(dravix[0] / floor[0] for dravix, floor in rounds)
    memory_ratio = statistics.median(dravix[1] / floor[1] for dravix, floor in rounds)
    print(f"ratio        first paint {time_ratio:.2f} (target <= {TIME_TARGET})"
          f"   working set {memory_ratio:.2f} (target <= {MEMORY_TARGET})")
    sys.exit(0 if time_ratio <= TIME_TARGET and memory_ratio <= MEMORY_TARGET else 1)


if __name__ == "__main__":
    main()
