Z 0 1 0 1 0 1
SA
NA D 1 1 2000 C
M 0 0 0 SA1 P 1 1 1 1 I 0
D 1e12 -1e12 5 SA2 P -9 -9 -9 -9 I 1
D x 0 0 SA3 P 1 1 1 1 I 0
