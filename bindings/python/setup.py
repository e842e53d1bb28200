"""Builds the quorbel Python package from the library's own sources, offline.

    /usr/bin/python3 -m pip install --no-build-isolation ./bindings/python

The extension compiles the library, its exact layer and the command-line
tool's commands (not its main) with the same floating-point flags as every
other build, so Python gets the same bits as the tool's JSON.
"""
import glob
import os
import platform
import re

from setuptools import Extension, setup

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))


def derive_exports(out_dir):
    """exports.inc from src/Quorbel.def, as the CMake build derives it."""
    lines = []
    decorated = []
    plain = []
    with open(os.path.join(ROOT, 'src', 'Quorbel.def')) as definition:
        for line in definition:
            native = re.match(r'^;@native\s+(\w+)', line)
            export = re.match(r'^\s+(\w[\w@]*)\s*=\s*(\w+)@(\d+)\s*$', line)
            if native:
                lines.append('QUORBEL_EXPORT_NATIVE_ONLY(%s)' % native.group(1))
            elif export:
                name, target, size = export.groups()
                if name == target:
                    plain.append(name)
                    lines.append('QUORBEL_EXPORT(%s, %s)' % (name, size))
                else:
                    decorated.append((target, size))
    for target, size in decorated:
        if target not in plain:
            lines.append('QUORBEL_EXPORT_DECORATED_ONLY(%s, %s)' % (target, size))
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, 'exports.inc'), 'w') as out:
        out.write('\n'.join(lines) + '\n')


def derive_code_names(out_dir):
    """result-codes.inc from the public headers, as the CMake build derives it."""
    lines = []
    for header in ('quorbel.h', 'quorbel_exact.h'):
        for line in open(os.path.join(ROOT, 'include', header)).read().splitlines():
            match = re.match(r'^#define (QUORBEL_[A-Z_]+) +(0x[0-9A-Fa-f]+)u */\* *([^*]*[^ *,])', line)
            if match and re.match(r'QUORBEL_(EXACT_)?E_', match.group(1)):
                lines.append('{%su, "%s", "%s"},' % (match.group(2), match.group(1), match.group(3).replace('"', "'")))
    with open(os.path.join(out_dir, 'result-codes.inc'), 'w') as out:
        out.write('\n'.join(lines) + '\n')


def sources():
    found = []
    for part in ('frame', 'platform', 'prevalence', 'comparison', 'detection', 'selection', 'listfiles', 'exact'):
        found += glob.glob(os.path.join(ROOT, 'src', part, '*.cpp'))
    found += [f for f in glob.glob(os.path.join(ROOT, 'cli', '*.cpp')) if not f.endswith('main.cpp')]
    found += [os.path.join(ROOT, 'host', 'linked_api.cpp'), os.path.join(HERE, '_quorbel.cpp')]
    # Absolute paths, so that the objects stay inside the build folder.
    return sorted(os.path.abspath(f) for f in found)


generated = os.path.join(HERE, 'build', 'generated')
derive_exports(generated)
derive_code_names(generated)
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
                           include_dirs=[os.path.join(ROOT, d) for d in ('include', 'src', 'cli', 'host')] + [generated])],
)
