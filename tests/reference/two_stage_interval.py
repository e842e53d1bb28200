#!/usr/bin/env python3
"""Independent reference of the two-stage cluster interval, in Python.

Every running sum and named value is rounded to a single-precision float
when it is formed (struct round-trip); the operations inside one formula run
in Python's double precision. Prints each file's results as float bit
patterns, for the table in ConfidenceInterval_TwoStages_test.cpp.

    python3 two_stage_interval.py            the worked example and the table
    python3 two_stage_interval.py --search   random files where holding h
                                             as a float changes a limit
"""
import math
import random
import struct
import sys


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def bits(x):
    return '0x%08X' % struct.unpack('<I', struct.pack('<f', x))[0]


def interval(clusters, z=f32(1.96), hold_h=True):
    m = a = b = a2 = b2 = ab = 0.0
    for animals, positives in clusters:
        fa, fb = f32(animals), f32(positives)
        m = f32(m + 1.0)
        a = f32(a + fa)
        b = f32(b + fb)
        a2 = f32(a2 + f32(fa * fa))
        b2 = f32(b2 + f32(fb * fb))
        ab = f32(ab + f32(float(animals * positives)))
    p = f32(b / a)
    t = f32(2.0 * p * ab)
    q = f32(p * p)
    u = f32(q * a2)
    s = f32(u + (b2 - t))
    v = f32(s / (m * (m - 1.0)))
    r = f32(math.sqrt(v))
    se = f32(r * m / a)
    s0 = f32(math.sqrt(f32(p * (1.0 - p) / a)))
    deff = f32(f32(se * se) / f32(s0 * s0))
    c = f32(a / m)
    rho = f32((deff - 1.0) / (c - 1.0))
    h = f32(z * se) if hold_h else z * se
    return p, f32(p - h), f32(p + h), se, deff, rho


def show(name, clusters):
    names = ('p', 'lower', 'upper', 'se', 'deff', 'rho')
    values = interval(clusters)
    print(name, clusters)
    for n, v in zip(names, values):
        print('  %-5s %.9g %s' % (n, v, bits(v)))


def search():
    rng = random.Random(7)
    found = 0
    while found < 3:
        clusters = [(k, rng.randint(0, k)) for k in (rng.randint(5, 60) for _ in range(rng.randint(3, 8)))]
        if sum(p for _, p in clusters) < 2:
            continue
        held, unheld = interval(clusters), interval(clusters, hold_h=False)
        if held[1:3] != unheld[1:3]:
            show('h decides a limit:', clusters)
            found += 1


if __name__ == '__main__':
    if '--search' in sys.argv:
        search()
    else:
        show('four clusters:', [(10, 2), (20, 5), (15, 0), (12, 3)])
