* After docs/recipes/read-matrices.sps: its saved matrix file as CSV, for the checks.
GET FILE='example-matrices.sav'.
SAVE TRANSLATE /OUTFILE='pspp-matrices.csv' /TYPE=CSV /FIELDNAMES /REPLACE.
