' The host of the whole flow (flow_test.sh): a console script, which pumps no messages of its
' own, runs a dialog on the demo product and saves what it changed (TQ_ANSWER answers). Usage:
' cscript Flow.vbs add|rename|cancel: the wizard, whose application is the second free-type one,
' or the edit dialog of that application ended by OK or by Cancel. The last line is "ok".
Option Explicit
On Error Resume Next
Dim o, r, want, step
step = WScript.Arguments(0)
Set o = CreateObject("OW.VXCtrlFileManager.1")
o.SetProductKey "Demo"
r = o.Load()
want = 0
If step = "add" Then r = o.OpenAddAppDialog() : want = 2 Else r = o.OpenEditAppDialog(3, 2)
If step = "cancel" Then want = -1001
If r = want And r >= 0 Then r = o.Save(1) : want = 0
If Err.Number <> 0 Or r <> want Then WScript.Echo step & ": " & r & ", Err " & Err.Number : WScript.Quit 1
WScript.Echo "ok"
