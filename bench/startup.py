#!/usr/bin/env python3
"""Start-up and peak memory of the drill program beside a bare Qt program.

Runs the two alternately, each until it prints that its window is shown (the
programs end right there when QUORVANE_STARTUP_TIMING is set), and reports the
median wall-clock time from launch to that line and the peak resident set.

usage: startup.py PROGRAM FLOOR BANKDIR [BANKDIR ...] [--runs N]
"""
import os
import statistics
import subprocess
import sys
import time


def run_once(program, cwd):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QUORVANE_STARTUP_TIMING="1")
    start = time.perf_counter()
    proc = subprocess.Popen([program], cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = proc.stdout.readline()
    elapsed = time.perf_counter() - start
    _, status, usage = os.wait4(proc.pid, 0)
    if line.strip() != b"shown" or status != 0:
        sys.exit(f"{program} did not report its window (status {status})")
    return elapsed * 1000.0, usage.ru_maxrss / 1024.0  # ms, MiB


def main():
    args = sys.argv[1:]
    runs = 15
    if "--runs" in args:
        i = args.index("--runs")
        runs = int(args[i + 1])
        del args[i:i + 2]
    program, floor, banks = os.path.abspath(args[0]), os.path.abspath(args[1]), args[2:]
    print("| bank | rows | bank file MiB | start-up ms | floor ms | ratio | peak RSS MiB | floor peak MiB | memory bound MiB |")
    print("|---|---|---|---|---|---|---|---|---|")
    for bank in banks:
        times, floor_times, rss, floor_rss = [], [], [], []
        for _ in range(runs):  # alternate, so that both see the same machine
            t, m = run_once(program, bank)
            times.append(t)
            rss.append(m)
            t, m = run_once(floor, bank)
            floor_times.append(t)
            floor_rss.append(m)
        size = os.path.getsize(os.path.join(bank, "english.db")) / 2**20
        rows = bank.rstrip("/").rsplit("-", 1)[-1]
        med, fmed = statistics.median(times), statistics.median(floor_times)
        print(f"| {os.path.basename(bank.rstrip('/'))} | {rows} | {size:.1f} | {med:.0f} | {fmed:.0f} | {med / fmed:.2f} "
              f"| {max(rss):.1f} | {max(floor_rss):.1f} | {1.5 * size + max(floor_rss):.1f} |")


if __name__ == "__main__":
    main()
