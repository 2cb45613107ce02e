#!/usr/bin/env python3
"""Writes a seeded capture of TNC2 monitor lines for the whole-program benchmark.

Many distinct stations around northern Italy: plain and Mic-E positions with course, speed
and altitude, status texts, messages and weather, a share of Mic-E emergencies sent by a small
set of stations, and a share of malformed lines. The same seed gives the same file.
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


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--stations", type=int, default=12_000)
    parser.add_argument("--emergency-share", type=float, default=0.02)
    parser.add_argument("--malformed-share", type=float, default=0.01)
    parser.add_argument("--seed", type=int, default=13)
    args = parser.parse_args()

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
