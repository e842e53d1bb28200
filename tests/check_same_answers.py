#!/usr/bin/env python3
"""The same answers, to the last bit, from another build's program as from
the native one: every command's example and the shared cases of
tests/agreement/cases.json, their JSON compared as text (doubles are written
with round-trip precision, so equal text is equal bits).

    check_same_answers.py NATIVE_QUORBEL OTHER_QUORBEL [EMULATOR WORDS...]

Exits 77, saying why, when the emulator cannot run here (32-bit Wine on a
machine that cannot execute 32-bit programs) or there is no native build."""
import json
import os
import subprocess
import sys
import tempfile

native, other = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
# The runs happen in scratch folders: the emulator's files by their full paths.
emulator = [os.path.abspath(w) if os.path.exists(w) else w for w in sys.argv[3:] if w]
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
if not os.access(native, os.X_OK):
    print('SKIPPED: no native build at %s to compare with' % native)
    sys.exit(77)
probe = subprocess.run(emulator + [other, '--version'], capture_output=True, text=True)
if probe.returncode == 77:
    print(next((line for line in probe.stdout.splitlines() if line.startswith('SKIPPED')), 'SKIPPED'))
    sys.exit(77)

cases = json.load(open(os.path.join(root, 'tests', 'agreement', 'cases.json')))
table = json.loads(subprocess.run([native, '--commands-json'], capture_output=True, text=True, check=True).stdout)
runs = [(words, cases['lists']) for words in cases['runs']]
for command in table:
    lists = {command['example'][2]: '\n'.join(command['exampleList']) + '\n'} if command['exampleList'] else {}
    runs.append((command['example'], lists))



def answer(program, words, lists):
    """The program's JSON answer to the words, and what it wrote to standard
    error with its exit status."""
    with tempfile.TemporaryDirectory() as scratch:
        for name, text in lists.items():
            with open(os.path.join(scratch, name), 'w', newline='\n') as out:
                out.write(text)
        run = subprocess.run(program + words + ['--json'], capture_output=True, text=True, cwd=scratch)
        return run.stdout.replace('\r', '').strip(), 'status %d: %s' % (run.returncode, run.stderr.strip()[:400])


failures = 0
for words, lists in runs:
    native_answer, _ = answer([native], words, lists)
    other_answer, trouble = answer(emulator + [other], words, lists)
    if emulator and not other_answer and native_answer:
        # An emulator now and then fails to start a program (Wine has left
        # a run with no output at all); one more run tells that from a fault.
        print('RETRY: %s gave no answer (%s)' % (' '.join(words), trouble))
        other_answer, trouble = answer(emulator + [other], words, lists)
    if native_answer != other_answer or not native_answer:
        failures += 1
        print('FAIL: %s\n  native: %s\n  other:  %s\n  (%s)' % (' '.join(words), native_answer[:400], other_answer[:400],
                                                      trouble))
print('%d of %d command lines give the same answer in both builds' % (len(runs) - failures, len(runs)))
sys.exit(1 if failures else 0)
