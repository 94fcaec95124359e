"""Sort data files and the matrices a run over them must write, worked out here independently
of the program: the small studies by the end-to-end tests' own formatter
(tests/e2e/expected_matrices.awk), the large one by a generator of its own that makes the study
and its expected output together (a formatter in awk would take minutes over 1.5 GB)."""

import hashlib
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
E2E_DATA = os.path.join(SOURCE, "tests", "e2e", "data")
EXAMPLES = os.path.join(SOURCE, "examples")
FORMATTER = os.path.join(SOURCE, "tests", "e2e", "expected_matrices.awk")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def expected_matrices(subjects, stimuli, sort_data):
    """The matrix file that SORT_DATA (bytes) should give for these counts."""
    return subprocess.run(
        ["awk", "-v", f"subjects={subjects}", "-v", f"stimuli={stimuli}", "-f", FORMATTER],
        input=sort_data, stdout=subprocess.PIPE, check=True).stdout


class Study:
    """A study the tests run: its counts, its sort data and the matrices it must give."""

    def __init__(self, name, subjects, stimuli, sort_data, expected):
        self.name, self.subjects, self.stimuli = name, subjects, stimuli
        self.sort_data, self.expected = sort_data, expected


def five_subjects():
    data = read(os.path.join(E2E_DATA, "five_subjects_twelve_stimuli.txt"))
    return Study("five subjects.txt", 5, 12, data, expected_matrices(5, 12, data))


def cut_short():
    """Five subjects announced, the file ends inside the third: two complete blocks only."""
    lines = read(os.path.join(E2E_DATA, "five_subjects_twelve_stimuli.txt")).split(b"\n")
    data = b"\n".join(lines[:2]) + b"\n1 2 3 4 5 6 7\r\n"
    return Study("cut short.txt", 5, 12, data, expected_matrices(5, 12, data))


# The studies a whole session runs over, each compared byte for byte with its expected file.
def session_studies():
    return [
        five_subjects(),
        Study("two subjects.txt", 2, 3,
              read(os.path.join(E2E_DATA, "two_subjects_three_stimuli.txt")),
              read(os.path.join(E2E_DATA, "two_subjects_three_stimuli.expected"))),
        Study("example-sort-data.txt", 10, 12,
              read(os.path.join(EXAMPLES, "example-sort-data.txt")),
              read(os.path.join(EXAMPLES, "example-matrices.txt"))),
    ]


# The large study: every subject sorts the stimuli by one of a few patterns, so its expected
# blocks are worked out once per pattern and the count block from how many subjects used each.
PATTERNS = 7


def _pattern_codes(pattern, stimuli):
    return [(k * (pattern + 3) // (pattern + 5)) % (pattern + 2) + 1 for k in range(stimuli)]


def _entry(value):
    return (b" " if value >= 0 else b"-") + str(abs(value)).encode() + b" "


def _block(stimuli, separated):
    """The lower triangle with its zero diagonal; SEPARATED(r) gives row r's entries."""
    rows = []
    for r in range(stimuli):
        rows.append(b" " + b"".join(_entry(v) for v in separated(r)) + b" 0 \r\n")
    return b"".join(rows)


class LargeStudy:
    """SUBJECTS x STIMULI with PATTERNS sorting patterns; expected output as a stream."""

    def __init__(self, subjects, stimuli):
        self.subjects, self.stimuli = subjects, stimuli
        self.codes = [_pattern_codes(p, stimuli) for p in range(PATTERNS)]
        self.sort_data = b"".join(
            b" ".join(str(c).encode() for c in self.codes[s % PATTERNS]) + b"\r\n"
            for s in range(subjects))

    def _subject_block(self, pattern):
        code = self.codes[pattern]
        return _block(self.stimuli, lambda r: [int(code[r] != code[c]) for c in range(r)])

    def expected_pieces(self):
        blocks = [self._subject_block(p) for p in range(PATTERNS)]
        for s in range(self.subjects):
            yield blocks[s % PATTERNS]
        users = [len(range(p, self.subjects, PATTERNS)) for p in range(PATTERNS)]

        def counts(r):
            return [sum(users[p] for p in range(PATTERNS)
                        if self.codes[p][r] != self.codes[p][c]) for c in range(r)]

        yield _block(self.stimuli, counts)

    def expected_digests(self, chunk):
        """The SHA-256 of each CHUNK bytes of the expected output, and its size."""
        digests, size, current, filled = [], 0, hashlib.sha256(), 0
        for piece in self.expected_pieces():
            view = memoryview(piece)
            while len(view):
                take = min(chunk - filled, len(view))
                current.update(view[:take])
                filled += take
                size += take
                view = view[take:]
                if filled == chunk:
                    digests.append(current.hexdigest())
                    current, filled = hashlib.sha256(), 0
        if filled:
            digests.append(current.hexdigest())
        return size, digests
