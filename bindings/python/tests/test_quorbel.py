"""Tests of the Python package: the worked examples bit-exact (as doubles of
the library's floats), the exact layer against tests/reference/exact_reference.R,
errors for bad input, NumPy broadcasting, and agreement with the command-line
tool (QUORBEL_CLI names it) on every command's name and on its JSON."""
import json
import math
import os
import re
import struct
import subprocess

import pytest

import quorbel


def bits(value):
    return '0x%08X' % struct.unpack('<I', struct.pack('<f', value))[0]


def test_worked_sample_size():
    # 473 of 1,000 and 897 for an infinite population (the worked example).
    r = quorbel.sample_size_simple_random(prevalence=0.3, precision=0.1, confidence=95, population=1000)
    assert r['population'] == {'size': 1000, 'sampleSize': 473}
    assert r['infinitePopulation'] == 897


def test_worked_interval_bits():
    # Worked example: lower 0.21479072, upper 0.38520932 as floats.
    r = quorbel.interval_simple_random(positives=30, sample=100, population=1000, confidence=95)
    assert bits(r['lower']) == bits(0.21479072) and bits(r['upper']) == bits(0.38520932)


def test_exact_design_and_evaluation():
    # tests/reference/exact_reference.R: 189 animals positive at 8 (epiR agrees);
    # SeP 0.38894599330079543 for the classic 269-animal design.
    design = quorbel.detect_exact(population=1000, prevalence=0.05, sensitivity=0.95, specificity=0.98, confidence=95)
    assert (design['reachable'], design['sampleSize'], design['positiveAt']) == (True, 189, 8)
    evaluation = quorbel.detect_evaluate(population=1000, sample=269, prevalence=0.01, sensitivity=0.95,
                                         specificity=0.98, positive_at=9)
    assert evaluation['diseasedUnits'] == 10
    assert evaluation['populationSensitivity'] == pytest.approx(0.38894599330079543, abs=1e-9)


def test_infinite_population_is_math_inf():
    r = quorbel.detect_evaluate(population=math.inf, sample=100, prevalence=0.05, sensitivity=0.9, specificity=0.97,
                                positive_at=4)
    assert 'diseasedUnits' not in r
    assert r['populationSensitivity'] == pytest.approx(0.94156610193853019, abs=1e-9)


def test_rejections_name_the_argument_and_code():
    with pytest.raises(ValueError, match=r'--prevalence.*0x60000001'):
        quorbel.sample_size_simple_random(prevalence=1.5, precision=0.1, confidence=95, population=1000)
    with pytest.raises(ValueError, match=r'--positive-at.*0x60000106'):
        quorbel.detect_evaluate(population=100, sample=10, prevalence=0.1, sensitivity=1, specificity=1,
                                positive_at=11)
    with pytest.raises(TypeError):
        quorbel.sample_size_simple_random(prevalance=0.3)  # misspelt


def test_selection_with_a_seed_and_force(tmp_path):
    # Sizes 2, 3, 5 with 3 points: seed 2 starts at 3 (SplitMix64 then one
    # msvcrt rand step, computed in Python), so the points 3, 6, 9 miss Small.
    sized = tmp_path / 'sized.txt'
    sized.write_text('Small,2\nMiddle,3\nLarge,5\n')
    out = tmp_path / 'out.txt'
    r = quorbel.select_pps(str(sized), str(out), count=3, seed=2)
    assert [(u['name'], u['times']) for u in r['units']] == [('Middle', 1), ('Large', 2)]
    with pytest.raises(ValueError, match='give --force'):
        quorbel.select_pps(str(sized), str(out), count=3, seed=2)
    assert quorbel.select_pps(str(sized), str(out), count=3, seed=2, force=True)['written'] == 2


def test_numpy_arrays_are_taken_element_wise():
    numpy = pytest.importorskip('numpy')
    r = quorbel.sample_size_simple_random(prevalence=numpy.array([0.1, 0.3, 0.5]), precision=0.1, confidence=95,
                                          population=1000)
    assert r.shape == (3,)
    # The middle one is the worked example; prevalence rising, the size falls.
    sizes = [x['population']['sampleSize'] for x in r]
    assert sizes[1] == 473 and sizes[0] > sizes[1] > sizes[2]


CLI = os.environ.get('QUORBEL_CLI')


@pytest.mark.skipif(not CLI, reason='QUORBEL_CLI names no command-line tool')
def test_every_command_has_a_function():
    overview = subprocess.run([CLI, '--help'], capture_output=True, text=True).stdout
    names = re.findall(r'^  ([a-z][a-z-]*) ([a-z][a-z-]*) ', overview, re.M)
    assert len(names) >= 19
    missing = [f + ' ' + n for f, n in names if not hasattr(quorbel, (f + '_' + n).replace('-', '_'))]
    assert not missing


@pytest.mark.skipif(not CLI, reason='QUORBEL_CLI names no command-line tool')
def test_same_numbers_as_the_tools_json():
    cases = [
        (['detect', 'sample-size', '--prevalence', '0.01', '--population', '1000', '--confidence', '95',
          '--sensitivity', '0.95', '--specificity', '0.98'],
         quorbel.detect_sample_size(prevalence=0.01, population=1000, confidence=95, sensitivity=0.95,
                                    specificity=0.98)),
        (['interval', 'proportion', '--positives', '7', '--sample', '40', '--confidence', '99'],
         quorbel.interval_proportion(positives=7, sample=40, confidence=99)),
        (['compare', 'interval', '--p1', '0.2', '--size1', '100', '--p2', '0.35', '--size2', '120'],
         quorbel.compare_interval(p1=0.2, size1=100, p2=0.35, size2=120)),
    ]
    for words, from_python in cases:
        from_cli = json.loads(subprocess.run([CLI] + words + ['--json'], capture_output=True, text=True).stdout)
        assert from_cli == from_python, words
