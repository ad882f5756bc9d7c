Group1=A
[D]
Group=1
Doc="a"b"
SkipDoc="
PublicName = ""
DocListFile = "  "
