#!/usr/bin/env python3
"""A day of a busy feed, as fast as the program takes it: the capture goes to a headless
Sirenwatch on standard input, and the program's resident memory is read at each hour of the
capture's time (the lines are spread evenly over the day, so an hour is a 24th of them).
Prints the time, the peak memory, the memory hour by hour and the incident log's size.

    bench/day.py SIRENWATCH CAPTURE DATA_HOME
"""
import os
import subprocess
import sys
import time


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    program, capture, data_home = sys.argv[1:4]
    with open(capture, "rb") as f:
        lines = sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))
    hour = lines / 24
    child = subprocess.Popen([program, "--headless", "--stdin"], stdin=subprocess.PIPE,
                             stdout=subprocess.DEVNULL)
    start = time.monotonic()
    hourly, done, next_hour = [], 0, hour
    with open(capture, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            child.stdin.write(block)
            done += block.count(b"\n")
            if done >= next_hour:
                hourly.append(resident_kb(child.pid))
                next_hour += hour
        child.stdin.close()
    _, status, usage = os.wait4(child.pid, 0)
    peak = usage.ru_maxrss  # kilobytes
    seconds = time.monotonic() - start
    log_dir = os.path.join(data_home, "sirenwatch", "incidents")
    log_bytes = sum(os.path.getsize(os.path.join(log_dir, n)) for n in os.listdir(log_dir))
    print(f"{lines} lines in {seconds:.1f} s ({lines / seconds:.0f} lines/s), exit {os.waitstatus_to_exitcode(status)}")
    # On a shared machine the wall time depends on the others; the processor time does not.
    print(f"processor time {usage.ru_utime + usage.ru_stime:.1f} s "
          f"({usage.ru_utime:.1f} s user, {usage.ru_stime:.1f} s system)")
    print(f"peak memory {peak / 1024:.1f} MB")
    print("memory by hour (MB): " + " ".join(f"{kb / 1024:.1f}" for kb in hourly))
    print(f"incident log {log_bytes / 1e6:.2f} MB")


if __name__ == "__main__":
    main()
