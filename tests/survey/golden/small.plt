Z 0 100 0 200 -50 50
G-13
O WGS 1984
SMain Cave
P ENT 10 20 30
NA1 D 7 32 2001 Cfirst survey
M 0 0 0 SA1 P 1 2 3 4 I 1.5 FLP "a \"quoted\" {P}note"
D 10 0 -5 SA2 P -9 -9 -9 -9
d 20 5 -5 SA3 P 999 1 1 1 I 0 FX ""
M 10 0 -5 SA2
D 10 10 -7 SA4 P 0.1 0.2 0.3 0.4
X 0 20 0 10 -7 0
FWater R 1 9
L 5 5 5 SW1 P 0 0 0 0 V 7.5
X 5 5 5 5 5 5
R 2 A1 A1 A2 A4 A1 S 0.25
