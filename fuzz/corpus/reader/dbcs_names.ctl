Group1="表"
[表]
Group=1
Doc="C:\表\a.chm"
PublicName=表=
