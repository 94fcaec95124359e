# After docs/recipes/analysis.R, in the same session: what it made, as plain text for the checks.
write.table(do.call(rbind, matrices), "r-matrices.txt", row.names = FALSE, col.names = FALSE)
write.table(as.matrix(d), "r-dist.txt", row.names = FALSE, col.names = FALSE)
write.table(map$points, "r-points.txt", row.names = FALSE, col.names = FALSE)
writeLines(format(map$GOF, digits = 15), "r-gof.txt")
writeLines(format(tree$height, digits = 15), "r-heights.txt")
writeLines(as.character(cutree(tree, k = 4)), "r-groups.txt")
# The count block's numbers in the order the file holds them (row by row), typed into a dist
# as they stand: the pitfall the recipe names.
typed <- unlist(rows[(blocks - 1) * n + seq_len(n)])
typed <- typed[-cumsum(seq_len(n))]  # without the diagonal's zeros
wrong <- structure(as.numeric(typed), Size = n, class = "dist")
write.table(as.matrix(wrong), "r-typed-dist.txt", row.names = FALSE, col.names = FALSE)
