' The host of the whole flow (flow_test.sh): a console script, which pumps no messages of its
' own, opens a dialog of the component on the demo product and saves what the dialog changed
' (the question answered by TQ_ANSWER). Usage: cscript Flow.vbs add|rename|cancel: the wizard
' (the new application is the second free-type one), the edit dialog of that application ended
' by OK, or by Cancel. Quits with its own number at the first step that fails; the last line is
' "ok".
Option Explicit
On Error Resume Next
Dim o, r, want

Sub Check(bHolds, nStep, what)
    If Err.Number <> 0 Or Not bHolds Then
        WScript.Echo what & " " & r & ", Err " & Err.Number
        WScript.Quit nStep
    End If
End Sub

Set o = CreateObject("OW.VXCtrlFileManager.1")
r = o.SetProductKey("Demo") : Check r, 1, "SetProductKey"
r = o.Load() : Check r = 0, 2, "Load"
If WScript.Arguments(0) = "add" Then
    r = o.OpenAddAppDialog() : want = 2
ElseIf WScript.Arguments(0) = "rename" Then
    r = o.OpenEditAppDialog(3, 2) : want = 0
Else
    r = o.OpenEditAppDialog(3, 2) : want = -1001
End If
Check r = want, 3, WScript.Arguments(0)
If r >= 0 Then
    r = o.Save(1) : Check r = 0, 4, "Save"
End If
WScript.Echo "ok"
