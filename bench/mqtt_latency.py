#!/usr/bin/env python3
"""Emergency heard to event at a subscriber over a local broker.

Starts Mosquitto on a free loopback port, Sirenwatch headless on standard input publishing on
it, and mosquitto_sub printing each event's arrival time; writes one emergency line (each from
a station of its own) every --gap seconds and prints the 50th and 99th percentile and the worst
time from the line's write to its event at the subscriber. With --to-siren a second watcher of
the same net runs too (its home in $SECOND_HOME), and the time is from the line's write at the
first to the incident's opening at the second (printed on its standard output as it happens),
the moment its siren is switched on. Run in a scratch home (bench/mqtt_latency.sh sets one up).
"""
import argparse
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            return
        except OSError:
            time.sleep(0.05)
    sys.exit("the broker does not listen")


def callsign(i):
    return f"Q{i // 16 % 10}B{chr(65 + i // 160 % 26)}{chr(65 + i % 26)}-{i % 16}"


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(len(ordered) * p / 100))]


def second_watcher(program, port):
    """The net's second watcher, its --json lines on a pipe."""
    home = os.environ["SECOND_HOME"]
    env = dict(os.environ, XDG_DATA_HOME=f"{home}/data", XDG_CONFIG_HOME=f"{home}/config",
               XDG_RUNTIME_DIR=f"{home}/run", HOME=home, SIRENWATCH_BENCH="1")
    second = os.path.join(home, "bin", os.path.basename(program))
    return subprocess.Popen([second, "--headless", "--stdin", "--json", "--mqtt",
                             f"mqtt://127.0.0.1:{port}"], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--count", type=int, default=400)
    parser.add_argument("--gap", type=float, default=0.05)
    parser.add_argument("--to-siren", action="store_true")
    args = parser.parse_args()

    folder = tempfile.mkdtemp()
    port = free_port()
    conf = os.path.join(folder, "mosquitto.conf")
    with open(conf, "w") as f:
        f.write(f"listener {port} 127.0.0.1\nallow_anonymous true\n")
        if os.geteuid() == 0:
            f.write("user root\n")
    broker = subprocess.Popen(["/usr/sbin/mosquitto", "-c", conf], stderr=subprocess.DEVNULL)
    wait_for_port(port)
    if args.to_siren:
        sub = second_watcher(args.program, port)
    else:
        sub = subprocess.Popen(["mosquitto_sub", "-p", str(port), "-t",
                                "bench/+/events/emergency", "-F", "%U %p"],
                               stdout=subprocess.PIPE, text=True)
    program = subprocess.Popen([args.program, "--headless", "--stdin", "--mqtt",
                                f"mqtt://127.0.0.1:{port}"],
                               stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, text=True,
                               env=dict(os.environ, SIRENWATCH_BENCH="1"))
    arrivals = []  # read as they come: a full pipe would hold mosquitto_sub back

    def read_arrivals():
        for line in sub.stdout:
            if args.to_siren:
                event = json.loads(line)
                if event.get("event") == "incident" and event.get("action") == "open":
                    arrivals.append((time.time(), event["callsign"]))
                continue
            stamp, payload = line.split(" ", 1)
            arrivals.append((float(stamp), json.loads(payload)["callsign"]))

    reader = threading.Thread(target=read_arrivals, daemon=True)
    reader.start()
    try:
        sent = {}
        time.sleep(2.0 if args.to_siren else 1.0)  # the programs connect
        for i in range(args.count):
            call = callsign(i)
            line = f"{call}>423W1T,WIDE1-1:`c0ooZO>/]\"6)}}EMERGENCY {i}\n"
            sent[call] = time.time()
            program.stdin.write(line)
            program.stdin.flush()
            time.sleep(args.gap)
        end = time.time() + 30
        while len(arrivals) < args.count and time.time() < end:
            time.sleep(0.05)
        latencies = [(stamp - sent[call]) * 1000 for stamp, call in arrivals if call in sent]
    finally:
        program.stdin.close()
        program.wait(10)
        sub.kill()
        sub.wait(10)
        broker.kill()
    if os.environ.get("MQTT_LATENCY_ALL"):
        print(" ".join(f"{v:.1f}" for v in latencies))
    print(f"{len(latencies)} emergencies: 50th percentile {percentile(latencies, 50):.2f} ms, "
          f"99th {percentile(latencies, 99):.2f} ms, worst {max(latencies):.2f} ms")


if __name__ == "__main__":
    main()
