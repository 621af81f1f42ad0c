#!/usr/bin/env python3
"""Passes a second and CPU time a pass of a runner's live window: the game's own loop (one message, the 2 ms
sleep, the sixteen steps, the copy to the window), for setting one system against another on one machine,
this build's runner against the Windows runner under Wine, say.

    tools/bench/window_rate.py RUNNER [PASSES] [ROUNDS]     (with DISPLAY set, under Xvfb for instance)

Each round runs the live window for PASSES and for twice as many passes; the difference of the two runs is
PASSES passes without the start-up and the end (Wine's own start takes a second). CPU time is the runner's
and its children's, plus the Wine server's meanwhile where one runs. Prints each round and the medians.
"""
import os
import resource
import statistics
import subprocess
import sys
import time


def wineserver_cpu():
    """Seconds of CPU the running Wine servers have used (0 where there is none)."""
    total = 0.0
    ticks = os.sysconf("SC_CLK_TCK")
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            with open(f"/proc/{pid}/comm") as comm:
                name = comm.read().strip()
        except OSError:
            continue
        if name.startswith("wineserver"):
            total += (int(fields[11]) + int(fields[12])) / ticks
    return total


def run(runner, passes):
    """Wall seconds and CPU seconds of one live-window run of the given passes."""
    children = resource.getrusage(resource.RUSAGE_CHILDREN)
    server = wineserver_cpu()
    start = time.monotonic()
    subprocess.run([runner, "--window", "--passes", str(passes), "--quiet"], check=True,
                   stdout=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - children.ru_utime) + (after.ru_stime - children.ru_stime)
    return wall, cpu + max(0.0, wineserver_cpu() - server)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    runner = sys.argv[1]
    passes = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    rates, cpus = [], []
    for round_number in range(1, rounds + 1):
        short_wall, short_cpu = run(runner, passes)
        long_wall, long_cpu = run(runner, 2 * passes)
        rate = passes / (long_wall - short_wall)
        cpu = (long_cpu - short_cpu) / passes * 1e6
        rates.append(rate)
        cpus.append(cpu)
        print(f"round {round_number}: {rate:.0f} passes/s, {cpu:.0f} us CPU a pass")
    print(f"median: {statistics.median(rates):.0f} passes/s, {statistics.median(cpus):.0f} us CPU a pass")


if __name__ == "__main__":
    main()
