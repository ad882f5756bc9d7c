Group1=A
[D]
Group=1
Doc=x
Date=13/1/20###oup=1
Doc=x
Date=13/1/20###1:1:1
[E]
Group=1
Doc=x
Date=2/30/2004
[F                ÿ“                       ]
Group=1
Doc=1:1:1ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿGroup=1
Doc=xÿÿate=9
