#!/usr/bin/env python3
"""Independent references of short formulas, with held values rounded to a
single-precision float (struct round-trip) and the rest in Python doubles.
Each line names the test table its value goes to."""
import math
import struct


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def g(x):
    return '%.8g' % x


def true_prevalence(ap, se, sp):
    ap, se, sp = f32(ap), f32(se), f32(sp)
    return f32((ap + sp - 1) / (sp + se - 1))


def mean_interval(mean, sd, n, N, z):
    nf = f32(n)
    fc = f32(math.sqrt(f32(1 - nf / N)))
    r = f32(math.sqrt(nf))
    se = f32((f32(sd) / r) * fc)
    h = se * z
    return f32(f32(mean) - h), f32(f32(mean) + h)


z90 = f32(1.645)
print('True_Prevelance_test kCases:', *(g(true_prevalence(*c)) for c in
      [(0.3, 0.9, 0.95), (0.02, 0.9, 0.95), (0.95, 0.9, 0.95)]))
print('Estimating_test negative lower limit:', *map(g, mean_interval(0.5, 2.0, 10, 100000, z90)))
print('DetectingEvent_test series sensitivity 0.9 x 0.8:', g(f32(f32(0.9) * f32(0.8))))
