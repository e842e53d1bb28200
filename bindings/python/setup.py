"""Builds the quorbel Python package from the library's own sources, offline.

    /usr/bin/python3 -m pip install --no-build-isolation ./bindings/python

The extension compiles the library, its exact layer and the commands
library (the parts cmake/sources.txt lists) with the same floating-point flags as every
other build, so Python gets the same bits as the tool's JSON.
"""
import glob
import os
import platform
import re
import subprocess

from setuptools import Extension, setup

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))


def derive(out_dir):
    """exports.inc and result-codes.inc, by the CMake build's own derivation."""
    subprocess.run(['cmake', '-DOUT=' + out_dir, '-P', os.path.join(ROOT, 'cmake', 'derive.cmake')], check=True)


def sources():
    """The parts of cmake/sources.txt that make the commands, and the glue."""
    found = []
    with open(os.path.join(ROOT, 'cmake', 'sources.txt')) as listing:
        for line in listing:
            words = line.split()
            if words and not words[0].startswith('#'):
                for folder in words[1:]:
                    found += glob.glob(os.path.join(ROOT, folder, '*.cpp'))
    found += [os.path.join(ROOT, 'host', 'linked_api.cpp'), os.path.join(HERE, '_quorbel.cpp')]
    # Absolute paths, so that the objects stay inside the build folder.
    return sorted(os.path.abspath(f) for f in found)


generated = os.path.join(HERE, 'build', 'generated')
derive(generated)
flags = ['-std=c++17', '-O2', '-ffp-contract=off', '-fno-fast-math', '-fno-tree-slp-vectorize', '-fvisibility=hidden',
         '-DQUORBEL_BUILDING']
if re.match(r'i.86', platform.machine()):
    flags += ['-msse2', '-mfpmath=sse']

setup(
    name='quorbel',
    version=re.search(r'#define QUORBEL_VERSION "([^"]+)"', open(os.path.join(ROOT, 'include', 'quorbel.h')).read()).group(1),
    description='Statistics of sampling surveys in animal populations',
    packages=['quorbel'],
    ext_modules=[Extension('quorbel._quorbel', sources=sources(), language='c++', extra_compile_args=flags,
                           include_dirs=[os.path.join(ROOT, d) for d in ('include', 'src', 'commands', 'host')] + [generated])],
)
