# The matrix file in Python: every matrix, metric MDS, clustering, and the map as a picture.
import numpy as np
from scipy.cluster.hierarchy import dendrogram, fcluster, linkage
from scipy.spatial.distance import pdist, squareform
from sklearn.manifold import MDS
import matplotlib

matplotlib.use("Agg")  # draw into files; leave this out to see the windows
import matplotlib.pyplot as plt

path = "example-matrices.txt"

# One list of numbers per line (Python reads CR LF line ends as line ends).
with open(path) as f:
    rows = [[int(v) for v in line.split()] for line in f if line.strip()]
n = len(rows[-1])  # the last line holds N numbers: N stimuli
blocks = len(rows) // n  # S subject blocks, then the count block

# Each block into a full symmetric N x N matrix: fill the lower triangle row by row from
# the file, then mirror it (the diagonal is 0, so adding the transpose is safe).
matrices = []
for b in range(blocks):
    m = np.zeros((n, n), dtype=int)
    for r in range(n):
        m[r, : r + 1] = rows[b * n + r]
    matrices.append(m + m.T)
subjects = matrices[:-1]  # subjects[s]: subject s + 1, 1 where two stimuli were apart
counts = matrices[-1]  # how many subjects put each pair apart
labels = [str(i) for i in range(1, n + 1)]
print(len(subjects), "subjects,", n, "stimuli")
print(counts)

# SciPy's condensed form is the upper triangle row by row (d[0,1], d[0,2], ..., d[1,2], ...),
# not the file's lower triangle row by row: make it from the full matrix with squareform,
# never from the file's numbers in the order they stand.
condensed = squareform(counts)

# Metric MDS on the counts as they are (dissimilarity="precomputed": the matrix is not data
# to take distances of). Not metric=False: scikit-learn's non-metric MDS takes a
# dissimilarity of 0 as missing, and drops every pair that no subject separated.
mds = MDS(n_components=2, dissimilarity="precomputed", metric=True, n_init=8,
          random_state=1, normalized_stress=False)
points = mds.fit_transform(counts)
print(np.round(points, 3))
# Kruskal's stress-1: how far the map's distances are from the counts (0 is a perfect fit).
stress1 = np.sqrt(mds.stress_ / (pdist(points) ** 2).sum())
print("stress-1:", round(stress1, 3))

# Average-linkage clustering (UPGMA) and the cut into four groups.
tree = linkage(condensed, method="average")
print(np.round(tree, 3))
groups = fcluster(tree, t=4, criterion="maxclust")
print(groups)

# The tree, its four groups in colours, and the map in the same colours, side by side.
fig, (left, right) = plt.subplots(1, 2, figsize=(9, 4), dpi=100)
cut = (tree[-4, 2] + tree[-3, 2]) / 2  # between the merges that make four groups and three
drawn = dendrogram(tree, labels=labels, ax=right, color_threshold=cut)
right.set_title("Average-linkage tree")
right.set_ylabel("mean number of subjects who separated them")
colour = dict(zip(drawn["ivl"], drawn["leaves_color_list"]))
left.scatter(points[:, 0], points[:, 1], c=[colour[label] for label in labels])
places = {}  # stimuli no subject separated share a place: one label for them all
for label, (x, y) in zip(labels, points):
    place = (round(x, 2), round(y, 2))
    places[place] = places[place] + ", " + label if place in places else label
near = 0.05 * np.ptp(points, axis=0).max()  # a label this close to another goes below left
done = []
for (x, y), text in places.items():
    crowded = any(np.hypot(x - u, y - v) < near for u, v in done)
    offset = (-12, -13) if crowded else (5, 4)
    left.annotate(text, (x, y), textcoords="offset points", xytext=offset)
    done.append((x, y))
left.set_aspect("equal", adjustable="datalim")
left.set_title("Metric MDS map of the count matrix")
left.set_xlabel("dimension 1")
left.set_ylabel("dimension 2")
fig.tight_layout()
fig.savefig("example-map.png")
