#!/usr/bin/env python3
"""Start-up and memory of Dravix against the least Qt Widgets window, under Xvfb.

Launches the two start-up probes alternately, each run timed from the launch to the first paint
reaching the screen, and reads the resident memory at that moment. Then pastes 1 MiB into the
first box and presses "清空", eight times over, reading the resident memory before, after each
paste and after each "清空". Prints the medians and the ratios with their targets; exits 1 when a
target is missed.

Usage: xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bench/startup.py BUILD_DIR [RUNS]
"""
import os
import statistics
import subprocess
import sys
import time

TIME_TARGET = 1.15
MEMORY_TARGET = 1.30


def run_once(program):
    start = time.monotonic_ns()
    result = subprocess.run([program], capture_output=True, text=True, timeout=60, check=True)
    fields = dict(item.split("=") for item in result.stdout.split())
    return (int(fields["paint_ns"]) - start) / 1e6, int(fields["rss_kib"])


def paste_and_clear(build):
    """Resident MiB before the first paste, then (pasted, cleared) for each cycle."""
    program = os.path.join(build, "bench", "paste_memory")
    result = subprocess.run([program], capture_output=True, text=True, timeout=120, check=True)
    lines = [dict(item.split("=") for item in line.split()) for line in result.stdout.splitlines()]
    cycles = [(int(f["pasted_kib"]) / 1024, int(f["cleared_kib"]) / 1024) for f in lines[1:]]
    return int(lines[0]["before_kib"]) / 1024, cycles


def main():
    if len(sys.argv) < 2 or not os.environ.get("DISPLAY"):
        sys.exit(__doc__)
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    programs = {
        "least window": os.path.join(build, "bench", "least_window_startup_probe"),
        "Dravix": os.path.join(build, "bench", "dravix_startup_probe"),
    }
    samples = {name: [] for name in programs}
    for name, program in programs.items():  # warm the file cache once
        run_once(program)
    for _ in range(runs):
        for name, program in programs.items():
            samples[name].append(run_once(program))

    medians = {}
    for name, values in samples.items():
        paint = statistics.median(v[0] for v in values)
        rss = statistics.median(v[1] for v in values)
        medians[name] = (paint, rss)
        print(f"{name:13} first paint {paint:7.1f} ms   resident {rss / 1024:6.1f} MiB   ({runs} runs)")
    time_ratio = medians["Dravix"][0] / medians["least window"][0]
    memory_ratio = medians["Dravix"][1] / medians["least window"][1]
    print(f"ratio         first paint {time_ratio:.2f} (target <= {TIME_TARGET})   "
          f"memory {memory_ratio:.2f} (target <= {MEMORY_TARGET})")

    before, cycles = paste_and_clear(build)
    first_pasted, first_cleared = cycles[0]
    print(f"1 MiB paste   resident {before:6.1f} MiB before, {first_pasted:6.1f} after the paste, "
          f"{first_cleared:6.1f} after 清空")
    print("  cycles      " + ", ".join(f"{pasted:.0f}/{cleared:.0f}" for pasted, cleared in cycles)
          + " MiB (pasted/cleared)")
    # "清空" must give the memory back: after it, later cycles hold no more than the early ones.
    half = len(cycles) // 2
    no_climb = max(c for _, c in cycles[half:]) <= max(c for _, c in cycles[:half]) * 1.02
    print(f"  no climb over {len(cycles)} cycles: {'yes' if no_climb else 'NO'}")
    sys.exit(0 if time_ratio <= TIME_TARGET and memory_ratio <= MEMORY_TARGET and no_climb else 1)


if __name__ == "__main__":
    main()
