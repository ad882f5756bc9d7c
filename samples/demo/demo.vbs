' The demo product driven from a Windows script: lists the databases, deselects the release
' notes and saves (the session answers the question, TQ_ANSWER=yes), then lists them again.
' Usage: cscript demo.vbs LIST.txt. The lists go to LIST.txt in the system's code page (Wine's
' cscript overruns its buffer when it echoes longer Japanese text); the exit code is the
' number of the step that failed, 0 when all went well.
Option Explicit
On Error Resume Next
Dim o, out, i, r, key
key = "Demo"

Sub Check(ok, nStep)
    If Err.Number <> 0 Or Not ok Then
        WScript.Echo "step " & nStep & " failed: Err " & Err.Number & ", ErrorCode " & o.ErrorCode
        WScript.Quit nStep
    End If
End Sub

Sub List(title)
    out.WriteLine title
    For i = 1 To o.GetDBCount(0)
        r = "   "
        If o.DBIsSelected(0, i) = 1 Then r = "[x]"
        out.WriteLine r & " " & o.DBGetPublicName(0, i)
    Next
    Check True, 6
End Sub

Set out = CreateObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments(0), True)
Set o = CreateObject("OW.VXCtrlFileManager.1") : Check True, 1
Check o.SetProductKey(key), 2
Check o.Load() = 0, 3
List "Databases of the demo product:"
Check o.DBSetSelected(2, 2, False) = 0, 4
Check o.Save(1) = 0, 5
List "After deselecting the release notes and saving:"
out.Close
WScript.Echo "demo: listed, deselected, saved"
