#!/usr/bin/env python3
"""Writes a seeded capture of TNC2 monitor lines for the whole-program benchmarks.

Many distinct stations around northern Italy: plain and Mic-E positions with course, speed
and altitude, status texts, messages and weather, a share of Mic-E emergencies sent by a small
set of stations, and a share of malformed lines. The same seed gives the same file.

With --day, a day of a worldwide full feed instead, each line stamped with its time of day:
about a quarter weather, positions of every kind (plain, with a time, compressed, Mic-E),
objects and items, messages, status, telemetry, some garbage, and a few stations that send
emergencies for a while.
"""
import argparse
import random
import string
import sys

LETTERS = string.ascii_uppercase


def callsign(index):
    # Q-prefixed calls are issued to no country: Q<digit><three letters>[-SSID].
    digit, rest = divmod(index, 26 ** 3)
    letters = ""
    for _ in range(3):
        rest, r = divmod(rest, 26)
        letters += LETTERS[r]
    ssid = index % 16
    return f"Q{digit % 10}{letters}" + (f"-{ssid}" if ssid else "")


def plain_position(rng, call):
    lat = rng.uniform(44.0, 46.9)
    lon = rng.uniform(7.0, 12.9)
    lat_text = f"{int(lat):02d}{(lat % 1) * 60:05.2f}N"
    lon_text = f"{int(lon):03d}{(lon % 1) * 60:05.2f}E"
    course, speed, alt = rng.randrange(1, 361), rng.randrange(0, 120), rng.randrange(0, 3000)
    return (f"{call}>APRS,WIDE1-1,WIDE2-1:!{lat_text}/{lon_text}>"
            f"{course:03d}/{speed:03d}/A={alt:06d} mobile {rng.randrange(1000)}")


def mic_e(rng, call, emergency):
    """A Mic-E position east of 10 degrees (no longitude offset needed)."""
    lat_deg, lat_min = rng.randrange(44, 47), rng.randrange(0, 60)
    lat_hun = rng.randrange(0, 100)
    digits = f"{lat_deg:02d}{lat_min:02d}{lat_hun:02d}"
    # Characters 1-3: message bits (plain digits = 000 = Emergency, P-Y = standard 1 bits);
    # 4: north (P-Y); 5: no +100 offset (digit); 6: east (digit).
    dest = ""
    for i, d in enumerate(digits):
        one = (i < 3 and not emergency) or i == 3
        dest += chr(ord("P") + int(d)) if one else d
    lon_deg, lon_min, lon_hun = rng.randrange(10, 13), rng.randrange(0, 60), rng.randrange(0, 99)
    minutes_byte = lon_min + 28 if lon_min >= 10 else lon_min + 88
    knots, course = rng.randrange(0, 80), rng.randrange(0, 360)
    if course % 100 == 99:
        course -= 1
    info = (chr(lon_deg + 28) + chr(minutes_byte) + chr(lon_hun + 28) +
            chr(knots // 10 + 28) + chr((knots % 10) * 10 + course // 100 + 28) +
            chr(course % 100 + 28))
    text = "need help" if emergency else "on the road"
    return f"{call}>{dest},WIDE1-1,WIDE2-1:`{info}>/\"5l}}{text}"


def other(rng, call):
    kind = rng.randrange(3)
    if kind == 0:
        return f"{call}>APRS,WIDE2-1:>Net tonight 21:00 on 145.{rng.randrange(1000):03d}"
    if kind == 1:
        to = callsign(rng.randrange(1000)).ljust(9)
        return f"{call}>APRS,WIDE2-1::{to}:see you at the field day{{{rng.randrange(100)}"
    return (f"{call}>APRS,WIDE2-1:@061000z4528.10N/00905.30E_{rng.randrange(360):03d}/004"
            f"g010t041r000p000P000h85b10132Weather")


def malformed(rng, call):
    kind = rng.randrange(3)
    if kind == 0:
        return f"{call}>APRS,WIDE1-1:!4599.ZZN/00999.99E>broken position"
    if kind == 1:
        return "this line has no header at all"
    return f"{call}>APRS:"


PATHS = ["APRS,TCPIP*,qAC,T2EDGE", "APDR16,TCPIP*,qAC,T2NUE", "APDW16,WIDE1-1,WIDE2-1,qAR,IGATE",
         "APMI06,WIDE2-2,qAR,DB0XYZ-10", "APRS,qAS,OH2RDK", "APLRG1,WIDE1-1,qAO,IU2LOR-10"]


def latlon(lat, lon):
    ns, ew = ("N" if lat >= 0 else "S"), ("E" if lon >= 0 else "W")
    lat, lon = abs(lat), abs(lon)
    return (f"{int(lat):02d}{(lat % 1) * 60:05.2f}{ns}", f"{int(lon):03d}{(lon % 1) * 60:05.2f}{ew}")


def base91(value, width):
    out = ""
    for _ in range(width):
        value, r = divmod(value, 91)
        out = chr(r + 33) + out
    return out


def compressed(lat, lon):
    y = int(380926 * (90 - lat))
    x = int(190463 * (180 + lon))
    return base91(y, 4) + base91(x, 4)


class Day:
    """One day of a worldwide feed from `stations` stations, each with a home position."""

    def __init__(self, rng, stations):
        self.rng = rng
        self.homes = [(rng.uniform(-55, 70), rng.uniform(-179.9, 179.9)) for _ in range(stations)]

    def where(self, index):
        lat, lon = self.homes[index]
        return latlon(lat + self.rng.uniform(-0.05, 0.05), lon + self.rng.uniform(-0.05, 0.05))

    def weather(self, call, index, hhmm):
        rng = self.rng
        wx = (f"{rng.randrange(360):03d}/{rng.randrange(40):03d}g{rng.randrange(60):03d}"
              f"t{rng.randrange(-10, 100):03d}r{rng.randrange(50):03d}p{rng.randrange(90):03d}"
              f"h{rng.randrange(10, 100):02d}b{rng.randrange(9800, 10400):05d}")
        kind = rng.randrange(4)
        if kind == 0:  # positionless
            return f"{call}>APRS,TCPIP*,qAC,T2WX:_1206{hhmm}c{wx[:3]}s{wx[4:7]}{wx[7:]}"
        if kind == 1:
            lat, lon = self.homes[index]
            return f"{call}>APRS,TCPIP*,qAC,T2WX:@06{hhmm}z/{compressed(lat, lon)}_ {wx}"
        lat, lon = self.where(index)
        return f"{call}>{rng.choice(PATHS)}:@06{hhmm}z{lat}/{lon}_{wx}WX station"

    def position(self, call, index, hhmm):
        rng = self.rng
        lat, lon = self.where(index)
        path = rng.choice(PATHS)
        kind = rng.randrange(6)
        if kind == 0:
            return f"{call}>{path}:!{lat}/{lon}#PHG5130 digipeater"
        if kind == 1:
            return (f"{call}>{path}:={lat}/{lon}>{rng.randrange(1, 361):03d}/"
                    f"{rng.randrange(120):03d}/A={rng.randrange(3000):06d}")
        if kind == 2:
            return f"{call}>{path}:/06{hhmm}h{lat}\\{lon}k{rng.randrange(360):03d}/{rng.randrange(99):03d}"
        if kind == 3:
            hlat, hlon = self.homes[index]
            return f"{call}>{path}:!/{compressed(hlat, hlon)}>{chr(33 + rng.randrange(89))}{chr(33 + rng.randrange(89))}G"
        return mic_e(rng, call, emergency=False)

    def other(self, call, index, hhmm):
        rng = self.rng
        pick = rng.random()
        if pick < 0.25:  # an object or an item
            lat, lon = self.where(index)
            name = f"EV{rng.randrange(10000):04d}".ljust(9)
            if rng.random() < 0.7:
                return f"{call}>APRS,TCPIP*,qAC,T2OBJ:;{name}*06{hhmm}z{lat}/{lon}-Club meeting"
            return f"{call}>APRS,TCPIP*,qAC,T2OBJ:){name[:5]}!{lat}/{lon}/Repeater"
        if pick < 0.5:
            to = callsign(rng.randrange(len(self.homes))).ljust(9)
            if rng.random() < 0.3:
                return f"{call}>APRS,TCPIP*,qAC,T2MSG::{to}:ack{rng.randrange(100)}"
            if rng.random() < 0.1:
                return f"{call}>APRS,TCPIP*,qAC,T2MSG::BLN1     :Net tonight at 21:00"
            return f"{call}>APRS,TCPIP*,qAC,T2MSG::{to}:see you at the field day{{{rng.randrange(100)}"
        if pick < 0.75:
            return f"{call}>{rng.choice(PATHS)}:>06{hhmm}zOn the air, 145.{rng.randrange(1000):03d} MHz"
        return (f"{call}>APRS,TCPIP*,qAC,T2TLM:T#{rng.randrange(1000):03d},"
                f"{rng.randrange(256)},{rng.randrange(256)},{rng.randrange(256)},"
                f"{rng.randrange(256)},{rng.randrange(256)},00000000")

    def garbage(self, call):
        kind = self.rng.randrange(5)
        if kind == 0:
            return f"{call}>APRS,WIDE1-1:!4599.ZZN/00999.99E>broken position"
        if kind == 1:
            return "this line has no header at all"
        if kind == 2:
            return f"{call}>GPSLJ,qAR,IGATE:$GPRMC,120000,A,4530.000,N,00912.000,E,0.0,0.0,061226,,*1A"
        if kind == 3:
            return f"{call}>APRS,qAR,IGATE:}}W1AW>APRS,TCPIP,{call}*:>third party"
        return f"{call}>APRS:"


def write_day(args, out):
    rng = random.Random(args.seed)
    day = Day(rng, args.stations)
    # A tenth of the stations send half the traffic (digipeaters, weather stations, trackers).
    busy = max(1, args.stations // 10)
    # A few stations in trouble: each sends its emergency every ten minutes for two hours.
    emergencies = []
    for k in range(args.emergency_stations):
        start = rng.uniform(0, 20 * 3600)
        emergencies += [(start + 600 * i, args.stations + k) for i in range(12)]
    emergencies.sort()
    next_emergency = 0
    for n in range(args.lines):
        t = 86400.0 * n / args.lines
        while next_emergency < len(emergencies) and emergencies[next_emergency][0] <= t:
            et, index = emergencies[next_emergency]
            out.write(f"{stamp(et)} {mic_e(rng, callsign(index), emergency=True)}\n")
            next_emergency += 1
        index = rng.randrange(busy) if rng.random() < 0.5 else rng.randrange(args.stations)
        call = callsign(index)
        hhmm = f"{int(t // 3600):02d}{int(t % 3600 // 60):02d}"
        pick = rng.random()
        if pick < 0.25:
            line = day.weather(call, index, hhmm)
        elif pick < 0.67:
            line = day.position(call, index, hhmm)
        elif pick < 0.97:
            line = day.other(call, index, hhmm)
        else:
            line = day.garbage(call)
        out.write(f"{stamp(t)} {line}\n")


def stamp(t):
    return f"2026-12-06T{int(t // 3600):02d}:{int(t % 3600 // 60):02d}:{t % 60:06.3f}Z"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--stations", type=int, default=12_000)
    parser.add_argument("--emergency-share", type=float, default=0.02)
    parser.add_argument("--malformed-share", type=float, default=0.01)
    parser.add_argument("--seed", type=int, default=13)
    parser.add_argument("--day", action="store_true",
                        help="a day of a worldwide full feed, timestamped (see above)")
    parser.add_argument("--emergency-stations", type=int, default=5,
                        help="with --day: stations that send emergencies")
    args = parser.parse_args()
    if args.day:
        write_day(args, sys.stdout)
        return

    rng = random.Random(args.seed)
    # One station in a hundred sends emergencies (at least one), the others ordinary traffic.
    emergency_stations = max(1, args.stations // 100)
    ordinary_stations = max(1, args.stations - emergency_stations)
    out = sys.stdout
    for _ in range(args.lines):
        pick = rng.random()
        if pick < args.emergency_share:
            call = callsign(ordinary_stations + rng.randrange(emergency_stations))
            out.write(mic_e(rng, call, emergency=True))
        else:
            call = callsign(rng.randrange(ordinary_stations))
            pick -= args.emergency_share
            if pick < args.malformed_share:
                out.write(malformed(rng, call))
            elif pick < 0.3:
                out.write(mic_e(rng, call, emergency=False))
            elif pick < 0.45:
                out.write(other(rng, call))
            else:
                out.write(plain_position(rng, call))
        out.write("\n")


if __name__ == "__main__":
    main()
