"""Quorbel: statistics of sampling surveys in animal populations.

Every command of the ``quorbel`` command-line tool is a function here, named
``<first word>_<second word>`` with dashes as underscores
(``sample_size_simple_random``, ``detect_evaluate``, ``select_pps``). Its
keyword arguments are the command's options, dashes as underscores
(``population``, ``positive_at``); its positional arguments are the command's
files (``list``, ``out``, ``file``). It returns what ``quorbel ... --json``
prints, with the same keys, as a dict, including ``settings`` (the values
in effect, their defaults and the z used) and ``warnings``. An infinite
population is ``math.inf``. A rejected argument raises :class:`QuorbelError`
(a ``ValueError``) with the tool's own message and the fields ``code``,
``code_name``, ``argument`` (as this package names it: ``prevalence``,
``list``), ``option`` (as the tool spells it), ``allowed``, ``line`` and
``field``. Each warning of an answer is
issued as a :class:`QuorbelWarning` through :mod:`warnings`, with its
``kind`` and ``line``.

Numbers may also be NumPy arrays (or lists): the arguments are broadcast and
the whole vector is computed in one call into the library, and the answers
come back as records: a dict of NumPy arrays of the broadcast shape, one per
field, named by dotted keys as ``--csv`` names its columns
(``population.sampleSize``, ``settings.prevalence``); for instance
``sample_size_simple_random(prevalence=numpy.linspace(0.01, 0.5, 50),
precision=0.1, confidence=95, population=1000)['population.sampleSize']``.
Every function that takes a number does this; files and words are never
broadcast. NumPy is optional: without it, only plain numbers are taken.
"""
import inspect
import json
import math
import warnings as _warnings

from . import _quorbel

try:
    import numpy
except ImportError:  # NumPy is optional
    numpy = None

__all__ = ['QuorbelError', 'QuorbelWarning']
__version__ = _quorbel.version()


class QuorbelError(ValueError):
    """An argument the tool refuses, or one the library rejects.

    Attributes: ``status`` (1 rejected by the library, 2 an argument that
    cannot be read), ``code`` and ``code_name`` (the library's result code,
    or None), ``argument`` (as this package names it), ``option`` (as the
    command line does), ``allowed``, ``line`` and ``field`` of a faulty list,
    and ``index``, the element of a vector call (None where they do not
    apply).
    """

    def __init__(self, error, status, index=None):
        super().__init__(error['message'] if index is None else 'element %d: %s' % (index, error['message']))
        self.status = status
        self.index = index
        self.code = error.get('code')
        self.code_name = error.get('codeName')
        self.argument = error.get('argument')
        self.option = error.get('option')
        self.allowed = error.get('allowed')
        self.line = error.get('line')
        self.field = error.get('field')


class QuorbelWarning(UserWarning):
    """Something to know about an answer: ``kind`` names it, ``line`` is the list line (or None)."""

    def __init__(self, warning):
        super().__init__(warning['message'])
        self.kind = warning['kind']
        self.line = warning.get('line')


def _raise(error, status, index):
    raise QuorbelError(error, status, None if index < 0 else index)


def _warn(warnings):
    for warning in warnings:
        _warnings.warn(QuorbelWarning(warning), stacklevel=4)


_quorbel.setup(_raise, _warn, None if numpy is None else numpy.ndarray)


_CELLS = {'i': 'int64', 'f': 'float64', 'b': 'bool'}


def _column(cells, shape):
    """A column of answers as a NumPy array of the arguments' shape: int64,
    float64 or bool where every cell is one, objects otherwise."""
    kind, payload = cells
    if kind in _CELLS:
        return numpy.frombuffer(payload, dtype=_CELLS[kind]).reshape(shape)
    column = numpy.empty(len(payload), dtype=object)
    column[:] = payload
    return column.reshape(shape)


_ARRAYS = (list, tuple) if numpy is None else (list, tuple, numpy.ndarray)


def _make(index, command):
    family, name, summary, positionals = command['family'], command['name'], command['summary'], command['positionals']
    python_name = command['function']
    keywords = [(o['argument'], o['name'], o['kind'], o['optional']) for o in command['options']]
    files = [p.lower() for p in positionals]

    def call(*args, **kwargs):
        answer = _quorbel.call(index, args, kwargs)  # NotImplemented when an argument is an array
        if answer is not NotImplemented:
            return answer
        for f in files[len(args):]:
            if f in kwargs:
                args += (kwargs.pop(f),)
        arrays = [k for k, v in kwargs.items() if isinstance(v, _ARRAYS)]
        if numpy is None:
            raise TypeError('array arguments need NumPy')
        broadcast = numpy.broadcast_arrays(*[numpy.asarray(kwargs[k]) for k in arrays])
        shape = broadcast[0].shape
        columns = {k: b.ravel().tolist() for k, b in zip(arrays, broadcast)}
        fixed = {k: v for k, v in kwargs.items() if k not in columns}
        answers = _quorbel.call_many(index, args, fixed, columns, int(numpy.prod(shape, dtype=int)))
        return {key: _column(values, shape) for key, values in answers.items()}

    parameters = [inspect.Parameter(f, inspect.Parameter.POSITIONAL_OR_KEYWORD, annotation=str) for f in files]
    for keyword, _, _, optional in keywords:
        parameters.append(inspect.Parameter(keyword, inspect.Parameter.KEYWORD_ONLY,
                                            default=None if optional else inspect.Parameter.empty,
                                            annotation='float | int | str | numpy.ndarray'))
    # The function runs plain calls in C; arrays and files by keyword reach
    # `call` above.
    function = _quorbel.Command(index, call)
    function.__name__ = function.__qualname__ = call.__name__ = call.__qualname__ = python_name
    function.__module__ = __name__
    function.__signature__ = inspect.Signature(parameters, return_annotation=dict)
    function.__annotations__ = {p.name: p.annotation for p in parameters}
    function.__annotations__['return'] = dict
    lines = [summary[0].upper() + summary[1:] + '.', '',
             'The same as: quorbel %s %s --json' % (family, name), '']
    if command.get('method'):
        lines += ['Method: ' + command['method'], '', 'Reference: ' + command['reference'], '']
    lines += ['Arguments:']
    lines += ['    %s: the file %s' % (f, p) for f, p in zip(files, positionals)]
    for o in command['options']:
        lines.append('    %s: %s%s' % (o['argument'], o['bindingAllowed'], ' (default %s)' % o['default'] if o['default']
                                         else ' (optional)' if o['optional'] else ''))
    lines += ['', 'Returns a dict: ' + command.get('returns', 'the keys of the tool\'s JSON.'), '',
              'Numbers may be NumPy arrays: see the package documentation.',
              'Raises QuorbelError (a ValueError) with the tool\'s message, code and argument when an argument',
              'is rejected; issues QuorbelWarning for each warning of the answer.']
    function.__doc__ = '\n'.join(lines)
    return python_name, function


_COMMANDS = json.loads(_quorbel.commands())


def commands():
    """The command-line tool's commands: (family, name) pairs, one function each."""
    return [(command['family'], command['name']) for command in _COMMANDS]


for _index, _entry in enumerate(_COMMANDS):
    _name, _function = _make(_index, _entry)
    globals()[_name] = _function
    __all__.append(_name)
__all__.append('commands')
