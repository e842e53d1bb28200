"""Builds the quorbel Python package from the library's own sources, offline.

    /usr/bin/python3 -m pip install --no-build-isolation ./bindings/python

The extension compiles the library, its exact layer and the commands
library (the parts cmake/sources.txt lists) with the same floating-point flags as every
other build, so Python gets the same bits as the tool's JSON. In the source
tree the sources are two folders up and CMake derives the generated headers;
in a source distribution (tools/release.sh) they all sit beside this file.
"""
import glob
import os
import platform
import re
import subprocess

from setuptools import Extension, setup

HERE = os.path.dirname(os.path.abspath(__file__))
STANDALONE = os.path.isfile(os.path.join(HERE, 'cmake', 'sources.txt'))
if STANDALONE:
    # Paths relative to this folder, so that the distribution's file list
    # names no folder of the machine that made it.
    os.chdir(HERE)
    HERE = ROOT = '.'
else:
    ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))


def derive(out_dir):
    """exports.inc and result-codes.inc, by the CMake build's own derivation."""
    subprocess.run(['cmake', '-DOUT=' + out_dir, '-P', os.path.join(ROOT, 'cmake', 'derive.cmake')], check=True)


def sources(extension):
    """The files of the parts of cmake/sources.txt that end in `extension`."""
    found = []
    with open(os.path.join(ROOT, 'cmake', 'sources.txt')) as listing:
        for line in listing:
            words = line.split()
            if words and not words[0].startswith('#'):
                for folder in words[1:]:
                    found += glob.glob(os.path.join(ROOT, folder, '*' + extension))
    # In the source tree, absolute paths, so that the objects stay inside the
    # build folder.
    return sorted(os.path.normpath(f) if STANDALONE else os.path.abspath(f) for f in found)


if STANDALONE:
    generated = os.path.join(HERE, 'generated')
else:
    generated = os.path.join(HERE, 'build', 'generated')
    derive(generated)
# No debugging information and no folder names in the objects, so that the
# same sources give the same extension wherever they are built.
arithmetic = ['-O2', '-g0', '-ffile-prefix-map=' + os.path.abspath(ROOT) + '=.', '-ffp-contract=off', '-fno-fast-math',
              '-fno-tree-slp-vectorize', '-fvisibility=hidden']
if re.match(r'i.86', platform.machine()):
    arithmetic += ['-msse2', '-mfpmath=sse']
flags = ['-std=c++17', '-DQUORBEL_BUILDING'] + arithmetic
musl = os.path.join(ROOT, 'third_party', 'musl-libm')

setup(
    name='quorbel',
    version=re.search(r'#define QUORBEL_VERSION "([^"]+)"', open(os.path.join(generated, 'quorbel_version.h')).read()).group(1),
    description='Statistics of sampling surveys in animal populations',
    author='The Quorbel authors',
    license='MIT',
    python_requires='>=3.9',  # the extension's functions are vectorcall objects
    license_files=[name for name in ('LICENSE', 'THIRD-PARTY-NOTICES') if os.path.isfile(os.path.join(HERE, name))],
    classifiers=['License :: OSI Approved :: MIT License', 'Programming Language :: Python :: 3',
                 'Programming Language :: C++', 'Topic :: Scientific/Engineering'],
    packages=['quorbel'],
    # musl's elementary functions (C), as a library of their own linked into
    # the extension, so that the exact layer gives the tool's doubles.
    libraries=[('quorbel_libm', {'sources': sources('.c'), 'include_dirs': [os.path.join(musl, 'include')],
                                 'cflags': arithmetic + ['-w']})],
    ext_modules=[Extension('quorbel._quorbel', language='c++', extra_compile_args=flags,
                           sources=sources('.cpp') + [os.path.join(ROOT, 'host', 'linked_api.cpp'),
                                                      os.path.join(HERE, '_quorbel.cpp')],
                           include_dirs=[os.path.join(ROOT, d) for d in ('include', 'src', 'commands', 'host')] + [generated])],
)
