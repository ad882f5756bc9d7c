Group3 = "2@C"
Group2 = "1@B"
Group1 = "A"
DefaultGroup = 3
[D]
Group=3
Doc=x
