#!/usr/bin/env python3
"""Independent reference of the maximum prevalence after a negative sample.

Follows the stated steps in Python, rounding each held value to a single-
precision float (struct round-trip); prints the three fields with the float
bit patterns, for kMaximumCases in DetectingEvent_test.cpp. A negative b (a
sample close to a census) is reported as detection probability 1.
"""
import struct


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def bits(x):
    return '0x%08X' % struct.unpack('<I', struct.pack('<f', x))[0]


def maximum(n, N, se, level, prevalence):
    se, prevalence = f32(se), f32(prevalence)
    fn, fN = f32(n), f32(N)
    dp = f32(se * (prevalence * fN))
    cl = f32(level / 100.0)
    q = f32(1 - cl)
    e = f32(1 / fn)
    r = f32(q ** e)
    x = f32((1 - r) * (fN - (fn - 1) * 0.5) / se)
    diseased = int(x) + 1
    maximum_prevalence = f32(x / fN)
    b = f32(1 - fn / (fN - (dp - 1) * 0.5))
    probability = 1.0 if b < 0 else f32(1 - f32(b ** dp))
    return diseased, maximum_prevalence, probability


for case in [(30, 1000, 1.0, 0.05), (30, 1000, 0.9, 0.05), (1, 1, 1.0, 0.5), (1, 100, 0.1, 0.05),
             (99, 100, 1.0, 0.5)]:
    d, m, p = maximum(case[0], case[1], case[2], 95, case[3])
    print(case, d, '%.9g' % m, bits(m), '%.9g' % p, bits(p))
