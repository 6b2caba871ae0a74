SX
NX
M 1 1 1 S
D 1 1 1 S
D 1 1 1 S P 0 0 0 0
M 2 2 2 S"quoted" P 999999 0 0 0 F "a
