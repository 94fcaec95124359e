# The matrix file in base R: every matrix, the count matrix as a dist, a map and a tree.
path <- "example-matrices.txt"

# One vector of numbers per line (R reads CR LF line ends as line ends).
rows <- lapply(strsplit(trimws(readLines(path)), " +"), as.integer)
n <- length(rows[[length(rows)]])   # the last line holds N numbers: N stimuli
blocks <- length(rows) %/% n        # S subject blocks, then the count block

# Each block into a full symmetric N x N matrix: fill the lower triangle row by row
# from the file, then mirror it (the diagonal is 0, so adding the transpose is safe).
matrices <- lapply(seq_len(blocks), function(b) {
  m <- matrix(0L, n, n, dimnames = list(1:n, 1:n))
  for (r in seq_len(n)) m[r, seq_len(r)] <- rows[[(b - 1) * n + r]]
  m + t(m)
})
subjects <- matrices[-blocks]       # subjects[[s]]: subject s, 1 where two stimuli were apart
counts <- matrices[[blocks]]        # how many subjects put each pair apart
cat(length(subjects), "subjects,", n, "stimuli\n")
print(counts)

# The count matrix as a dist. as.dist() of the full matrix is right. A dist keeps its lower
# triangle column by column (d[2,1], d[3,1], ..., d[3,2], ...), not row by row as the file
# holds it: the file's numbers typed straight into a dist pair the wrong stimuli.
d <- as.dist(counts)

# Classical (Torgerson) MDS in two dimensions.
map <- cmdscale(d, k = 2, eig = TRUE)
print(round(map$points, 3))
cat("goodness of fit:", round(map$GOF, 3), "\n")
plot(map$points, type = "n", asp = 1, xlab = "dimension 1", ylab = "dimension 2")
text(map$points, labels = rownames(map$points))

# Average-linkage clustering (UPGMA); the tree and its cut into four groups.
tree <- hclust(d, method = "average")
print(data.frame(merge = tree$merge, height = round(tree$height, 3)))
print(cutree(tree, k = 4))
plot(tree, main = "", xlab = "", sub = "", ylab = "mean number of subjects who separated them")
