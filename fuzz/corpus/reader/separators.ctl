Group1=A
###
###
###x
[D]~
Group=1
Doc=x
