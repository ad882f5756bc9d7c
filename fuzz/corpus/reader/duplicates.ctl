Group1=A
[Help]
Group=1
Doc=x
[HELP]
Group=1
Doc=x
