#!/usr/bin/env python3
"""What showing the frames costs: the CPU the game's process and the X server use per second of play, and
the passes a second, for two runners side by side in one run on one virtual display (an older build's
against this one's, say), taking turns so that the machine's load falls on both alike.

    tools/bench/present_cpu.py RUNNER-A RUNNER-B [PASSES] [ROUNDS] [SCREEN]

Starts its own Xvfb (SCREEN, 1024x768 unless given). Each round runs each runner's live window
(`--window --passes`) for PASSES and for twice as many passes; the difference of the two runs is PASSES
passes of play without the start-up and the end. CPU time is the runner's and its children's, plus the X
server's meanwhile. Prints each round, then the medians: passes a second, and CPU milliseconds per second
of play (process, X server, both), and B's share of A's.
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time


def cpu_of(pid):
    """Seconds of CPU a process has used so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run(runner, passes, server):
    """Wall seconds, process CPU seconds and X server CPU seconds of one live-window run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    server_before = cpu_of(server)
    start = time.monotonic()
    subprocess.run([runner, "--window", "--quiet", "--passes", str(passes)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    process = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, process, cpu_of(server) - server_before


def measure(runner, passes, server):
    """Passes a second and CPU ms per second of play (process, X server) over PASSES passes of play."""
    short = run(runner, passes, server)
    long = run(runner, 2 * passes, server)
    wall, process, xserver = (b - a for a, b in zip(short, long))
    return passes / wall, 1000 * process / wall, 1000 * xserver / wall


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    runners = sys.argv[1:3]
    passes = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 3
    screen = sys.argv[5] if len(sys.argv) > 5 else "1024x768"
    with tempfile.TemporaryDirectory() as work:
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{screen}x24",
                                 "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                                stderr=subprocess.DEVNULL)
        os.close(write_end)
        display = os.read(read_end, 64).decode().strip()
        os.environ["DISPLAY"] = f":{display}"
        os.environ.pop("SDL_VIDEODRIVER", None)
        os.environ["XDG_CONFIG_HOME"] = work
        results = {runner: [] for runner in runners}
        try:
            for round_number in range(1, rounds + 1):
                for label, runner in zip("AB", runners):
                    rate, process, xserver = measure(runner, passes, xvfb.pid)
                    results[runner].append((rate, process, xserver))
                    print(f"round {round_number} {label}: {rate:.0f} passes/s, CPU per second of play: "
                          f"{process:.0f} ms process + {xserver:.0f} ms X server = {process + xserver:.0f} ms",
                          flush=True)
        finally:
            xvfb.terminate()
            xvfb.wait()
    medians = {}
    for label, runner in zip("AB", runners):
        rates, processes, servers = zip(*results[runner])
        totals = [p + x for p, x in zip(processes, servers)]
        medians[label] = (statistics.median(rates), statistics.median(totals))
        print(f"{label} {runner}: median {medians[label][0]:.0f} passes/s, {statistics.median(processes):.0f} ms "
              f"process + {statistics.median(servers):.0f} ms X server = {medians[label][1]:.0f} ms CPU per "
              f"second of play")
    print(f"B against A: {medians['B'][0] / medians['A'][0]:.2f} times the passes a second, "
          f"{medians['B'][1] / medians['A'][1]:.2f} times the CPU per second of play")


if __name__ == "__main__":
    main()
