Group1=A
[D]
Group=1
Doc=x
[broken
