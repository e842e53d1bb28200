"""Tests of the Python package: its answers against the command-line tool
(QUORBEL_CLI names it) on every command's example and the shared cases of
tests/agreement/cases.json; errors that carry their fields; warnings through
Python's warnings system; typed arguments; NumPy broadcasting; and files."""
import json
import math
import os
import pathlib
import subprocess
import warnings

import pytest

import quorbel

CLI = os.environ.get('QUORBEL_CLI')
ROOT = pathlib.Path(__file__).resolve().parents[3]
AGREEMENT = json.loads((ROOT / 'tests' / 'agreement' / 'cases.json').read_text())
TABLE = json.loads(subprocess.run([CLI, '--commands-json'], capture_output=True, text=True).stdout) if CLI else []


def agreement_runs():
    runs = [(words, AGREEMENT['lists']) for words in AGREEMENT['runs']]
    for command in TABLE:
        lists = {command['example'][2]: '\n'.join(command['exampleList']) + '\n'} if command['exampleList'] else {}
        runs.append((command['example'], lists))
    return runs


def typed(word):
    """A word as a Python caller writes it: numbers as numbers, infinite as math.inf."""
    if word == 'infinite':
        return math.inf
    for kind in (int, float):
        try:
            return kind(word)
        except ValueError:
            pass
    return word


def same(python, tool, where):
    """Every number bit for bit (the same value of the same type), the same keys in the same order."""
    if isinstance(tool, dict):
        assert list(python) == list(tool), where
        for key in tool:
            same(python[key], tool[key], where + '.' + key)
    elif isinstance(tool, list):
        assert len(python) == len(tool), where
        for i, (p, t) in enumerate(zip(python, tool)):
            same(p, t, '%s[%d]' % (where, i))
    else:
        assert python == tool and type(python) is type(tool), where


@pytest.mark.skipif(not CLI, reason='QUORBEL_CLI names no command-line tool')
@pytest.mark.parametrize('words,lists', agreement_runs(), ids=lambda v: ' '.join(v) if isinstance(v, list) else '')
def test_same_answer_as_the_tool(words, lists, tmp_path):
    for name, text in lists.items():
        (tmp_path / name).write_text(text)
    tool = json.loads(subprocess.run([CLI] + words + ['--json'], capture_output=True, text=True, cwd=tmp_path).stdout)
    for written in tmp_path.iterdir():  # the tool's result file, which the binding writes again
        if written.name not in lists:
            written.unlink()
    command = next(c for c in TABLE if [c['family'], c['name']] == words[:2])
    options = {o['name']: o for o in command['options']}
    files, keywords, i = [], {}, 2
    while i < len(words):
        option = options.get(words[i])
        if option is None:
            files.append(words[i])
        elif option['kind'] == 'flag':
            keywords[option['argument']] = True
        else:
            i += 1
            keywords[option['argument']] = typed(words[i])
        i += 1
    cwd = os.getcwd()
    os.chdir(tmp_path)
    try:
        with warnings.catch_warnings():
            warnings.simplefilter('ignore', quorbel.QuorbelWarning)
            python = getattr(quorbel, command['function'])(*files, **keywords)
    finally:
        os.chdir(cwd)
    same(python, tool, ' '.join(words[:2]))


@pytest.mark.skipif(not CLI, reason='QUORBEL_CLI names no command-line tool')
def test_every_command_has_a_function():
    assert len(TABLE) >= 19
    assert [c['function'] for c in TABLE if not callable(getattr(quorbel, c['function'], None))] == []


def test_a_rejection_carries_its_fields():
    # quorbel.h: QUORBEL_E_PREVALENCE is 0x60000001.
    with pytest.raises(quorbel.QuorbelError) as caught:
        quorbel.sample_size_simple_random(prevalence=1.5, precision=0.1, confidence=95, population=1000)
    error = caught.value
    assert isinstance(error, ValueError)
    assert (error.code, error.code_name, error.argument, error.status) == (0x60000001, 'QUORBEL_E_PREVALENCE',
                                                                            'prevalence', 1)
    assert str(error).startswith('prevalence rejected: it must be a proportion') and '0x' not in str(error)
    with pytest.raises(quorbel.QuorbelError, match=r'^positive_at rejected') as caught:
        quorbel.detect_evaluate(population=100, sample=10, prevalence=0.1, sensitivity=1, specificity=1, positive_at=11)
    assert caught.value.code_name == 'QUORBEL_EXACT_E_POSITIVE_AT'
    with pytest.raises(TypeError):
        quorbel.sample_size_simple_random(prevalance=0.3)  # misspelt


def test_a_faulty_list_line_carries_its_line_and_field(tmp_path):
    # Line 2, field 3 (positives): six positives among five animals.
    clusters = tmp_path / 'clusters.txt'
    clusters.write_text('H1,10,2\nH7,5,6\n')
    with pytest.raises(quorbel.QuorbelError) as caught:
        quorbel.interval_two_stage(str(clusters))
    assert (caught.value.argument, caught.value.line, caught.value.field) == ('file', 2, 3)
    assert caught.value.code_name == 'QUORBEL_E_CLUSTER_POSITIVES'


def test_warnings_reach_pythons_warning_system(tmp_path):
    with pytest.warns(quorbel.QuorbelWarning) as caught:
        r = quorbel.sample_size_simple_random(prevalence=0.3, precision=0.1, confidence=98, population=1000)
    assert [w.message.kind for w in caught] == ['level-at-1.96']
    assert r['warnings'][0]['kind'] == 'level-at-1.96'
    clusters = tmp_path / 'blank.txt'
    clusters.write_text('H1,10,2\nH2,20,5\n\nH4,3,1\n')
    with pytest.warns(quorbel.QuorbelWarning) as caught:
        quorbel.interval_two_stage(str(clusters))
    assert [(w.message.kind, w.message.line) for w in caught] == [('lines-after-blank', 3)]


def test_counts_may_be_whole_floats():
    # 30 of 100 is 0.3 whichever way the numbers are written.
    assert quorbel.interval_proportion(positives=30.0, sample=100.0)['proportion'] == 0.3
    assert quorbel.detect_evaluate(population=math.inf, sample=100, prevalence=0.05, sensitivity=0.9,
                                   specificity=0.97, positive_at=4).get('diseasedUnits') is None


def test_selection_with_a_seed_and_force(tmp_path):
    # Sizes 2, 3, 5 with 3 points: seed 2 starts at 3 (SplitMix64 then one
    # msvcrt rand step, computed in Python), so the points 3, 6, 9 miss Small.
    sized = tmp_path / 'sized.txt'
    sized.write_text('Small,2\nMiddle,3\nLarge,5\n')
    out = tmp_path / 'out.txt'
    r = quorbel.select_pps(str(sized), str(out), count=3, seed=2)
    assert [(u['name'], u['times']) for u in r['units']] == [('Middle', 1), ('Large', 2)]
    with pytest.raises(quorbel.QuorbelError, match='give force') as caught:
        quorbel.select_pps(str(sized), str(out), count=3, seed=2)
    assert caught.value.argument == 'out'
    assert quorbel.select_pps(str(sized), str(out), count=3, seed=2, force=True)['written'] == 2


def test_separator_holds_for_one_call(tmp_path):
    # The selection above from a list split at ';': the same points, then a
    # call without it is back to ','; a ',' inside a name cannot be handed over.
    sized = tmp_path / 'semicolons.txt'
    sized.write_text('Small;2\nMiddle;3\nLarge;5\n')
    r = quorbel.select_pps(str(sized), str(tmp_path / 'out.txt'), count=3, seed=2, separator=';')
    assert [(u['name'], u['times']) for u in r['units']] == [('Middle', 1), ('Large', 2)]
    assert r['settings']['separator'] == ';'
    with pytest.warns(quorbel.QuorbelWarning, match="uses ';'"):
        with pytest.raises(quorbel.QuorbelError):
            quorbel.select_pps(str(sized), str(tmp_path / 'again.txt'), count=3, seed=2)
    sized.write_text('Small;2\nMiddle, East;3\n')
    with pytest.raises(quorbel.QuorbelError, match="holds ','") as caught:
        quorbel.select_pps(str(sized), str(tmp_path / 'comma.txt'), count=1, seed=2, separator=';')
    assert (caught.value.argument, caught.value.line) == ('list', 2)
    with pytest.raises(quorbel.QuorbelError):
        quorbel.select_pps(str(sized), str(tmp_path / 'tab.txt'), count=1, separator='\t')


def test_two_stage_freedom_writes_each_herd_and_warns(tmp_path):
    # 25 of 50 animals reach 0.9564 (R: 1 - sum(dhyper(k, 5, 45, 25) 0.1^k));
    # a herd of 5 tests all 5 and reaches only SE = 0.9, short of 0.95.
    herds = tmp_path / 'herds.txt'
    herds.write_text('A,50\nB,5\n')
    out = tmp_path / 'designs.txt'
    with pytest.warns(quorbel.QuorbelWarning, match='fall short'):
        r = quorbel.freedom_two_stage(str(herds), str(out), herd_prevalence=0.5, within_herd_prevalence=0.1,
                                      sensitivity=0.9)
    assert [h['sampleSize'] for h in r['herds']] == [25, 5]
    assert out.read_bytes() == b'A,50,25,0.9564003679982631\r\nB,5,5,0.9\r\n'


def test_numpy_arrays_come_back_as_records():
    numpy = pytest.importorskip('numpy')
    prevalence = numpy.array([[0.1, 0.3, 0.5]])
    r = quorbel.sample_size_simple_random(prevalence=prevalence, precision=[0.1], confidence=95, population=1000)
    sizes = r['population.sampleSize']
    assert sizes.shape == (1, 3) and sizes.dtype.kind == 'i'
    # The middle one is the worked example; prevalence rising, the size falls.
    assert sizes[0, 1] == 473 and sizes[0, 0] > sizes[0, 1] > sizes[0, 2]
    assert list(r['settings.prevalence'][0]) == [0.1, 0.3, 0.5]
    with pytest.raises(quorbel.QuorbelError, match=r'^element 1: prevalence rejected') as caught:
        quorbel.sample_size_simple_random(prevalence=[0.3, 1.5], precision=0.1, population=1000)
    assert caught.value.index == 1


def test_files_by_keyword_and_in_order_give_the_same_selection(tmp_path):
    # A call with files in order runs in the extension; one that names them
    # goes through the package's Python function: both write the same units.
    sized = tmp_path / 'sized.txt'
    sized.write_text('Small,2\nMiddle,3\nLarge,5\n')
    in_order = quorbel.select_pps(str(sized), str(tmp_path / 'a.txt'), count=3, seed=2)
    by_name = quorbel.select_pps(list=str(sized), out=str(tmp_path / 'b.txt'), count=3, seed=2)
    mixed = quorbel.select_pps(str(sized), out=tmp_path / 'c.txt', count=3, seed=2)
    assert in_order['units'] == by_name['units'] == mixed['units']
    assert (tmp_path / 'a.txt').read_bytes() == (tmp_path / 'b.txt').read_bytes() == (tmp_path / 'c.txt').read_bytes()
    with pytest.raises(TypeError, match='takes 2 files'):
        quorbel.select_pps(str(sized), 'a', 'b', count=3)


def test_functions_keep_their_name_signature_and_help():
    import inspect
    function = quorbel.detect_evaluate
    assert function.__name__ == 'detect_evaluate' and 'detect_evaluate' in repr(function)
    assert list(inspect.signature(function).parameters) == ['population', 'sample', 'prevalence', 'sensitivity',
                                                            'specificity', 'positive_at']
    assert 'quorbel detect evaluate --json' in function.__doc__
    import pydoc
    page = pydoc.render_doc(function, renderer=pydoc.plaintext)
    assert inspect.isroutine(function) and 'detect_evaluate(*, population' in page and 'Reference:' in page
