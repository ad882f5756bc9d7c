Group1=A
[D]
Group=1
Doc=x
Date=13/1/2004 1:1:1
[E]
Group=1
Doc=x
Date=2/30/2004
[F]
Group=1
Doc=x
Date=garbage
[G]
Group=1
Doc=x
Date=2004/2/29 23:59:59
