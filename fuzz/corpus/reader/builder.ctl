Group1 = "A"
Group2 = "Unused"
[A]
Group = 1
Doc = "<WINDOWS>\HELP\A.HLP"
ExeKey = "HKEY_LOCAL_MACHINE\Software\X"
ExeOrgPath = "C:\X"

