"""Runs the analysis recipes of docs/analysis.md (docs/recipes/) in a folder that holds them and
the example study's matrix file, and checks what each one gives against the file read here on
its own and against the example study's sort data. Prints every recipe's output, one line per
check, and "N passed, N failed" at the end; exits 1 when any check failed.

    python3 tests/recipes/check_recipes.py REPOSITORY WORK_FOLDER
"""
import contextlib
import io
import os
import re
import runpy
import struct
import subprocess
import sys
import warnings
from pathlib import Path

import numpy as np
from scipy.spatial.distance import pdist

root, work = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
os.chdir(work)
results = []

# The example study: stimuli 11 and 12 were never separated; average linkage merges at these
# heights (mean numbers of subjects who separated two groups), and cut into four groups gives
# these.
KNOWN_HEIGHTS = [0, 1, 1, 1, 2, 2.5, 2.5, 3, 17 / 3, 53 / 6, 344 / 35]
KNOWN_GROUPS = {frozenset({1, 2, 3, 4}), frozenset({5, 6, 7}), frozenset({8, 9, 10}),
                frozenset({11, 12})}


def check(name, test):
    """Runs one check; a false result or an exception fails it, and the next check runs."""
    try:
        problem = test()
    except Exception as error:  # a check that cannot even run has failed
        problem = f"{type(error).__name__}: {error}"
    ok = problem in (None, True)
    results.append(ok)
    print(("PASS " if ok else "FAIL ") + name + ("" if ok else f": {problem or 'no'}"))


def show(title, text):
    print(f"---- {title}\n{text.rstrip()}\n----")


def read_matrix_file(path):
    """The matrix file as S + 1 symmetric matrices, read strictly: CR LF line ends, line r of
    each block with r numbers, the last of them the diagonal's 0."""
    lines = path.read_bytes().split(b"\r\n")
    assert lines[-1] == b"", "the last line has no CR LF"
    rows = [[int(v) for v in line.split()] for line in lines[:-1]]
    n = len(rows[-1])
    assert len(rows) % n == 0, f"{len(rows)} lines are no whole number of {n}-line blocks"
    matrices = []
    for start in range(0, len(rows), n):
        m = np.zeros((n, n), dtype=int)
        for r, row in enumerate(rows[start:start + n]):
            assert len(row) == r + 1 and row[r] == 0, f"line {start + r + 1}: {row}"
            for c in range(r):
                m[r, c] = m[c, r] = row[c]
        matrices.append(m)
    return matrices


def from_sort_data(path):
    """Each subject's 0/1 matrix straight from the sort data: 1 where the codes differ."""
    subjects = []
    for line in path.read_text().splitlines():
        codes = np.array([int(v) for v in line.split()])
        subjects.append((codes[:, None] != codes[None, :]).astype(int))
    return subjects


def same(a, b):
    a, b = np.asarray(a), np.asarray(b)
    return True if a.shape == b.shape and np.allclose(a, b) else f"{a} is not {b}"


def partition(groups):
    members = {}
    for stimulus, group in enumerate(groups, start=1):
        members.setdefault(int(group), set()).add(stimulus)
    return {frozenset(m) for m in members.values()}


def upper_by_rows(m):
    """SciPy's condensed order, spelled out: d[0,1], d[0,2], ..., d[1,2], ..."""
    return [m[i, j] for i in range(len(m)) for j in range(i + 1, len(m))]


def run(command):
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    return done.returncode, done.stdout + done.stderr


# The file itself, read here and made again from the sort data.
reference = read_matrix_file(work / "example-matrices.txt")
subjects, counts = reference[:-1], reference[-1]
n = len(counts)
sort_data = from_sort_data(root / "examples/example-sort-data.txt")
check("the file holds 10 subject blocks and the count block, 12 stimuli",
      lambda: (len(subjects), n) == (10, 12) or f"{len(subjects)} subjects, {n} stimuli")
check("its subject blocks are the sort data's", lambda: same(subjects, sort_data))
check("its count block is the sum of the subject blocks", lambda: same(counts, sum(subjects)))
check("its count block's line 5 is 9 9 8 8 0", lambda: same(counts[4, :5], [9, 9, 8, 8, 0]))

# The page shows each recipe file as it is, and every recipe file.
page = (root / "docs/analysis.md").read_text()
shown = dict(re.findall(r"<!-- recipe: (\S+) -->\n```[a-z]*\n(.*?)```\n", page, re.S))
recipes = sorted(p.name for p in (root / "docs/recipes").iterdir())
check("the page shows every recipe file",
      lambda: sorted(Path(name).name for name in shown) == recipes or f"{sorted(shown)}")
for name, text in sorted(shown.items()):
    check(f"the page's {name} is the file",
          lambda: text == (root / "docs" / name).read_text() or "they differ")

# PSPP: the matrices read by MATRIX DATA, one split per block, saved and exported as CSV.
status, output = run(["pspp", "-O", "format=txt", "read-matrices.sps",
                      root / "tests/recipes/export.sps"])
show("pspp read-matrices.sps", output)
check("PSPP runs read-matrices.sps without error or warning",
      lambda: status == 0 and not re.search(r"error|warning", output) or f"status {status}")


def pspp_matrices():
    lines = (work / "pspp-matrices.csv").read_text().splitlines()
    header, cases = lines[0].split(","), [line.split(",") for line in lines[1:]]
    wanted = ["matrix", "ROWTYPE_", "VARNAME_"] + [f"s{i}" for i in range(1, n + 1)]
    assert header == wanted, f"columns {header}"
    assert len(cases) == len(reference) * n, f"{len(cases)} cases"
    for k, case in enumerate(cases):
        block, row = divmod(k, n)
        assert case[:3] == [str(block + 1), "PROX", f"s{row + 1}"], f"case {k + 1}: {case[:3]}"
    values = np.array([[float(v) for v in case[3:]] for case in cases])
    return same(values.reshape(len(reference), n, n), reference)


check("PSPP's splits 1 to 11 are the file's matrices, in order", pspp_matrices)

# R: the recipe, then what it made written out.
status, output = run(["Rscript", "-e", 'source("analysis.R"); '
                      f'source("{root / "tests/recipes/export.R"}")'])
show("Rscript analysis.R", output)
check("R runs analysis.R without error or warning",
      lambda: status == 0 and "Warning" not in output or f"status {status}")


def r_table(name):
    return np.loadtxt(work / name, ndmin=2)


def classical_mds(d, k=2):
    """Torgerson's MDS done here: the double-centred squared distances' top eigenvectors."""
    j = np.eye(len(d)) - 1 / len(d)
    b = -j @ (d.astype(float) ** 2) @ j / 2
    values, vectors = np.linalg.eigh(b)
    order = np.argsort(values)[::-1]
    values, vectors = values[order], vectors[:, order]
    gof = [values[:k].sum() / np.abs(values).sum(), values[:k].sum() / values.clip(0).sum()]
    return vectors[:, :k] * np.sqrt(values[:k]), gof


def same_up_to_sign(points, wanted):
    flips = np.sign((points * wanted).sum(axis=0))
    return same(points * flips, wanted)


torgerson, torgerson_gof = classical_mds(counts)
check("R's matrices are the file's", lambda: same(r_table("r-matrices.txt"), np.vstack(reference)))
check("R's dist is the count matrix", lambda: same(r_table("r-dist.txt"), counts))
check("the file's numbers typed into a dist are not (dist is by columns)",
      lambda: not np.array_equal(r_table("r-typed-dist.txt"), counts))
check("R's cmdscale is classical MDS of the counts (up to each axis's sign)",
      lambda: same_up_to_sign(r_table("r-points.txt"), torgerson))
check("R's goodness of fit", lambda: same(r_table("r-gof.txt").ravel(), torgerson_gof))
check("R's hclust heights", lambda: same(r_table("r-heights.txt").ravel(), KNOWN_HEIGHTS))
check("R's four groups", lambda: partition(r_table("r-groups.txt").ravel()) == KNOWN_GROUPS)

# Python: the recipe run here, its variables checked; any warning it raises fails.
captured = io.StringIO()
with warnings.catch_warnings(record=True) as raised, contextlib.redirect_stdout(captured):
    warnings.simplefilter("always")
    try:
        py = runpy.run_path(str(work / "analysis.py"))
    except Exception as error:
        py = {}
        print(f"{type(error).__name__}: {error}")
show("python3 analysis.py", captured.getvalue() + "".join(f"{w.message}\n" for w in raised))
check("Python runs analysis.py without error or warning", lambda: bool(py) and not raised)
check("Python's matrices are the file's",
      lambda: same(py["subjects"], subjects) is True and same(py["counts"], counts))
check("Python's condensed form is the upper triangle by rows",
      lambda: same(py["condensed"], upper_by_rows(counts)))
check("the file's numbers in their order are not (condensed is the upper triangle)",
      lambda: upper_by_rows(counts) != [v for r in range(n) for v in counts[r, :r]])
check("SciPy's average-linkage heights", lambda: same(py["tree"][:, 2], KNOWN_HEIGHTS))
check("SciPy's four groups", lambda: partition(py["groups"]) == KNOWN_GROUPS)


def mds_map():
    points, spread = py["points"], pdist(py["points"])
    fit = np.corrcoef(spread, py["condensed"])[0, 1]
    apart = np.linalg.norm(points[10] - points[11]) / spread.max()
    ok = py["stress1"] < 0.15 and fit > 0.95 and apart < 0.01
    return ok or f"stress-1 {py['stress1']:.3f}, r {fit:.3f}, 11 to 12 {apart:.3f}"


check("the metric MDS map fits (stress-1 < 0.15, r > 0.95, 11 and 12 together)", mds_map)


def png_size(path):
    head = path.read_bytes()[:24]
    assert head[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is no PNG"
    return struct.unpack(">II", head[16:24])


check("the picture is drawn, as large as docs/example-map.png",
      lambda: png_size(work / "example-map.png") == png_size(root / "docs/example-map.png"))

failed = results.count(False)
print(f"{len(results) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
