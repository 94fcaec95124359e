# The matrix file that a sort data file should give, worked out independently of the program,
# for the end-to-end tests. Usage:
#   awk -v subjects=S -v stimuli=N -f expected_matrices.awk SORT_DATA > EXPECTED
# Items are separated by spaces, tabs, commas and line breaks. One block per subject read in
# full (the N rows of the lower triangle with the zero diagonal), then, only when all S
# subjects were read in full, the count block: for each pair, how many subjects separated it.
# Every line starts with one space; every entry has a sign position, its digits and one space;
# lines end with CR LF.

function entry(value) { return (value < 0 ? "-" : " ") (value < 0 ? -value : value) " " }

function write_block(kind,    r, c, line) {
    for (r = 1; r <= stimuli; r++) {
        line = " "
        for (c = 1; c < r; c++)
            line = line entry(kind == "subject" ? (code[r] != code[c]) : separated[r, c])
        printf "%s 0 \r\n", line
    }
}

{
    gsub(/\r/, "")
    count = split($0, fields, /[ \t,]+/)
    for (f = 1; f <= count; f++)
        if (fields[f] != "")
            item[++items] = fields[f] + 0
}

END {
    complete = int(items / stimuli)
    if (complete > subjects)
        complete = subjects
    for (s = 1; s <= complete; s++) {
        for (k = 1; k <= stimuli; k++)
            code[k] = item[(s - 1) * stimuli + k]
        for (r = 2; r <= stimuli; r++)
            for (c = 1; c < r; c++)
                separated[r, c] += (code[r] != code[c])
        write_block("subject")
    }
    if (complete == subjects)
        write_block("count")
}
