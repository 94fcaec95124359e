* The matrix file in PSPP or SPSS: every block a split of one matrix file.
* s1 TO s12 are the 12 stimuli: write as many as your study has.
MATRIX DATA
  VARIABLES=s1 TO s12
  /FILE='example-matrices.txt'
  /FORMAT=LOWER DIAGONAL
  /SPLIT=matrix
  /CONTENTS=PROX.
* matrix numbers the blocks: 1 to 10 the subjects, 11 the count block.
FORMATS s1 TO s12 (F3.0).
SAVE OUTFILE='example-matrices.sav'.
* The count block: for each pair, how many subjects put it apart.
TEMPORARY.
SELECT IF matrix = 11.
LIST VARIABLES=VARNAME_ s1 TO s12.
