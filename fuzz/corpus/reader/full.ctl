:*** Trellisquest ControlFile ***
OutputLog = "log.txt"
SelectAllDB = Disable
BlankSources = TRUE
AddID = TRUE
DivideNoBookmark = TRUE

:--- Group Information ---
Group1 = "Top"
Group2 = "1@Sub"
Group3 = "1@Sub2"
FamilyOfGroup1-3 = "fam"
DefaultGroup = 3
SelectOffGroups = 2,3

:--- Database Information ---
[Fixed]
PublicName = "Fixed DB"
Group = 2
FAQ = "NEC"
BlankSource = FALSE
Doc = "a.chm"
SkipDoc = "s"
RootPath3 = "r3"
RegKey = "k0"
RegKey3 = "k3"
RegEntry = ""
Date = "3/15/2004 14:5:9"


### Selection Type Databases ###
[Sel]~
Group = 3
Doc = "x"


### Free Type Databases ###
[Free]
Group = 1
Group = 1
Doc = "y"


