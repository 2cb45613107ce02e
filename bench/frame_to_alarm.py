#!/usr/bin/env python3
"""Frame to alarm: a KISS TNC of our own on loopback feeds a windowed Sirenwatch at a steady
rate of ordinary traffic with emergencies among it, each stamped with the sender's clock
just before it goes on the socket; the program's latency probe notes when each stamp shows
in the panel. An emergency the panel never showed because a newer one replaced it first
counts as shown when that newer one was. Prints the 50th and 99th percentile and the worst.

    bench/frame_to_alarm.py SIRENWATCH CAPTURE [--rate 4000] [--seconds 30] [--every 0.025]

Run it under a display (bench/frame_to_alarm.sh starts Xvfb); the program's standard error
is copied to ours.
"""
import argparse
import os
import signal
import socket
import subprocess
import sys
import time


def address(text):
    call, _, ssid = text.rstrip("*").partition("-")
    if not call or len(call) > 6 or not call.isalnum() or (ssid and not ssid.isdigit()):
        return None
    return bytes(ord(c) << 1 for c in call.upper().ljust(6)), int(ssid or 0)


def ax25(line):
    """The UI frame of a monitor line, or None when it cannot be one."""
    header, sep, payload = line.partition(":")
    if not sep or ">" not in header:
        return None
    source, _, rest = header.partition(">")
    parts = [source] + rest.split(",")
    parts = [p for p in parts if not p.startswith("q")][:10]  # APRS-IS q-constructs are not on the air
    out = b""
    for i, part in enumerate([parts[1], parts[0]] + parts[2:]):
        a = address(part)
        if a is None:
            return None
        last = i == len(parts) - 1
        out += a[0] + bytes([0x60 | (a[1] << 1) | (1 if last else 0)])
    return out + b"\x03\xf0" + payload.encode("latin-1", "replace")


def kiss(frame):
    return b"\xc0\x00" + frame.replace(b"\xdb", b"\xdb\xdd").replace(b"\xc0", b"\xdb\xdc") + b"\xc0"


def emergency(index):
    # Mic-E, message bits 000 (Emergency) at 42 37.14N 71 20.83W.
    return f"Q9EM{chr(65 + index // 26 % 26)}{chr(65 + index % 26)}-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}}need help t="


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("program")
    parser.add_argument("capture")
    parser.add_argument("--rate", type=float, default=4000)
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--every", type=float, default=0.025, help="seconds between emergencies")
    parser.add_argument("--stations", type=int, default=50, help="stations in emergency")
    args = parser.parse_args()

    frames = []
    with open(args.capture, encoding="latin-1") as capture:
        for line in capture:
            line = line.rstrip("\n")
            if line[:4].isdigit() and " " in line:  # a timestamp first
                line = line.split(" ", 1)[1]
            frame = ax25(line)
            if frame:
                frames.append(kiss(frame))
            if len(frames) >= 200000:
                break

    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    port = server.getsockname()[1]
    shown_file = os.path.join(os.environ.get("XDG_RUNTIME_DIR", "/tmp"), "shown.txt")
    env = dict(os.environ, SIRENWATCH_LATENCY_PROBE=shown_file, SIRENWATCH_LOOP_PROBE="1")
    program = subprocess.Popen([args.program, "--kiss", f"127.0.0.1:{port}"], env=env,
                               stdout=subprocess.DEVNULL)
    server.settimeout(30)
    peer, _ = server.accept()
    peer.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    time.sleep(3)  # the windows are up

    start = time.monotonic()
    sent = emergencies = 0
    stamps = []
    next_emergency = start + args.every
    slice_s = 0.005
    while time.monotonic() - start < args.seconds:
        due = int((time.monotonic() - start) * args.rate)
        if due > sent:
            peer.sendall(b"".join(frames[i % len(frames)] for i in range(sent, due)))
            sent = due
        now = time.monotonic()
        if now >= next_emergency:
            stamps.append(time.monotonic_ns())
            text = emergency(emergencies % args.stations) + str(stamps[-1])
            peer.sendall(kiss(ax25(text)))
            emergencies += 1
            next_emergency += args.every
        time.sleep(slice_s / 2)
    elapsed = time.monotonic() - start
    time.sleep(1)
    program.send_signal(signal.SIGTERM)
    program.wait(30)
    with open(shown_file) as f:
        shown = sorted(tuple(map(int, line.split())) for line in f)
    latencies, at = [], 0
    for stamp in stamps:
        while at < len(shown) and shown[at][0] < stamp:
            at += 1
        if at == len(shown):
            break  # never shown
        latencies.append((shown[at][1] - stamp) / 1e6)
    latencies.sort()
    if latencies:
        pick = lambda share: latencies[min(len(latencies) - 1, int(share * len(latencies)))]
        print(f"frame to panel: {len(latencies)} of {len(stamps)} emergencies shown "
              f"({len(shown)} of them in person), 50th {pick(0.5):.1f} ms, 99th {pick(0.99):.1f} ms, "
              f"worst {latencies[-1]:.1f} ms", file=sys.stderr)
    print(f"sent {sent} frames in {elapsed:.1f} s ({sent / elapsed:.0f} frames/s) and "
          f"{emergencies} emergencies from {args.stations} stations", file=sys.stderr)


if __name__ == "__main__":
    main()
