Group1=A
[D]
GroÔqp=1
Doc="
Group=1
Doc9p Doc="
PublicNstFile = "  "
