' A product's script driving the component through CreateObject: the guards of every member,
' the errors a script makes, and the whole edit of the demo product (deselect a database,
' remove the user application, save). Usage: cscript Automation.vbs yes|no, the answer the
' session gives the questions (TQ_ANSWER). cscript reports no runtime error by itself, so every
' step checks Err and the result, and the first that fails quits with its own number; the last
' line is "ok". Only ASCII is echoed (cscript's code page 932 output of longer Japanese text
' overruns its buffer).
Option Explicit
On Error Resume Next
Const KEY_CUSTOMIZE = "HKLM\SOFTWARE\Orbanworks\Trellisquest\Demo\USER\AddTarget\Customize"
Dim nStep, o, o2, r, key, nAnswered, nFreeLeft
nStep = 0
key = "Demo"  ' a variable: passed by reference (VT_BSTR | VT_BYREF)
nAnswered = -1001 : nFreeLeft = 1  ' a question answered No cancels
If WScript.Arguments(0) = "yes" Then nAnswered = 0 : nFreeLeft = 0

Sub Fail(what)
    WScript.Echo "step " & nStep & " (" & what & "): Err " & Err.Number & " " & Hex(Err.Number)
    WScript.Quit nStep
End Sub

' The call before succeeded as a call, returned want, and left the object's code at code.
Sub Expect(obj, got, want, code, what)
    nStep = nStep + 1
    If Err.Number <> 0 Then Fail what
    If got <> want Then Fail what & ": returned " & got
    If obj.ErrorCode <> code Then Fail what & ": ErrorCode " & obj.ErrorCode
End Sub

' The call before was refused as a script error (number), and the script goes on.
Sub ExpectScriptError(number, what)
    nStep = nStep + 1
    If Err.Number <> number Then Fail what
    Err.Clear
End Sub

' Not ready: every member but the four that never refuse answers -1008.
Set o = CreateObject("OW.VXCtrlFileManager.1") : Expect o, 0, 0, 0, "CreateObject"
r = o.GetDBCount(0) : Expect o, r, 0, 0, "GetDBCount on an empty model"
r = o.GetDBCount(7) : Expect o, r, 0, -1565, "GetDBCount of no type"
r = o.Status : Expect o, r, -1008, -1008, "Status unready"
r = o.DBGetPublicName(0, 1) : Expect o, r, "", -1008, "DBGetPublicName unready"
r = o.DBIsSelected(0, 1) : Expect o, r, -1008, -1008, "DBIsSelected unready"
r = o.DBSetSelected(2, 1, True) : Expect o, r, -1008, -1008, "DBSetSelected unready"
r = o.DBIsInstalledAppli(0, 1) : Expect o, r, -1008, -1008, "DBIsInstalledAppli unready"
r = o.RemoveDB(3, 1) : Expect o, r, -1008, -1008, "RemoveDB unready"
r = o.Load() : Expect o, r, -1008, -1008, "Load unready"
r = o.Save(0) : Expect o, r, -1008, -1008, "Save unready"
r = o.SetProductKey("NoSuch") : Expect o, r, False, -1008, "SetProductKey of no product"
r = o.EnableCustomize : Expect o, r, False, -1008, "EnableCustomize unready"
r = o.ErrorString : Expect o, r, "レジストリからの情報取得に失敗しました", -1008, "ErrorString"

' Ready and loaded: the demo's five databases, and the addressing guards.
r = o.SetProductKey(key) : Expect o, r, True, 0, "SetProductKey"
r = o.EnableCustomize : Expect o, r, True, 0, "EnableCustomize"
r = o.Load() : Expect o, r, 0, 0, "Load"
r = o.GetDBCount(0) : Expect o, r, 5, 0, "GetDBCount(0)"
r = o.GetDBCount(2) : Expect o, r, 3, 0, "GetDBCount(2)"
r = o.DBGetPublicName(2, 2) : Expect o, r, "リリースノート", 0, "DBGetPublicName(2, 2)"
r = o.DBGetPublicName(3, 1) : Expect o, r, "私のメモ", 0, "DBGetPublicName(3, 1)"
r = o.DBIsSelected(2, 3) : Expect o, r, 0, 0, "DBIsSelected of a deselected database"
r = o.DBIsSelected(0, 0) : Expect o, r, -1563, -1563, "number 0"
r = o.DBGetPublicName(2, 4) : Expect o, r, "", -1563, "number past the type"
r = o.DBIsSelected(4, 1) : Expect o, r, -1565, -1565, "type 4"
r = o.DBIsInstalledAppli(-1, 1) : Expect o, r, -1565, -1565, "type -1"
r = o.DBSetSelected(1, 1, False) : Expect o, r, -1576, -1576, "deselecting a fixed database"
r = o.RemoveDB(2, 1) : Expect o, r, -1576, -1576, "removing a selection-type database"
r = o.ErrorString : Expect o, r, "このデータベースを操作することはできません", -1576, "its ErrorString"

' Without a display (as scripts/windows.sh runs this test) both dialogs answer as cancelled.
r = o.OpenAddAppDialog() : Expect o, r, -1001, -1001, "OpenAddAppDialog without a display"
r = o.OpenEditAppDialog(3, 1) : Expect o, r, -1001, -1001, "OpenEditAppDialog without a display"

' A second editor is refused while the first holds the product; both see it being edited.
Set o2 = CreateObject("OW.VXCtrlFileManager.1")
r = o2.SetProductKey(key) : Expect o2, r, True, 0, "second SetProductKey"
r = o2.Load() : Expect o2, r, -1043, -1043, "second Load"
r = o2.ErrorString : Expect o2, r, "編集中です", -1043, "second ErrorString"
r = o2.Status : Expect o2, r, 1, 0, "second Status"
r = o.Status : Expect o, r, 1, 0, "first Status"
Set o2 = Nothing

' What a script gets wrong comes back as script errors, and the object goes on serving.
r = o.DBGetPublicName(0) : ExpectScriptError 450, "too few arguments"
r = o.GetDBCount(0, 1) : ExpectScriptError 450, "too many arguments"
r = o.GetDBCount("two") : ExpectScriptError 13, "a string for a long"
r = o.DBSetSelected(2, 1, "maybe") : ExpectScriptError 13, "a string for a BOOL"
r = o.NoSuchMember(1) : ExpectScriptError 438, "no such member"
o.Status = 1
nStep = nStep + 1
If Err.Description <> "読み取り専用ﾌﾟﾛﾊﾟﾃｨには書き込めません。" Then Fail "writing Status"
Err.Clear
r = o.GetDBCount("1") : Expect o, r, 1, 0, "a numeric string for a long"

' The edit: deselect the release notes, remove the user application, save. The questions are
' answered by the session (TQ_ANSWER); No cancels each and the files stay as they were.
r = o.DBSetSelected(2, 2, False) : Expect o, r, 0, 0, "DBSetSelected"
r = o.DBIsSelected(2, 2) : Expect o, r, 0, 0, "DBIsSelected after it"
r = o.RemoveDB(3, 1) : Expect o, r, nAnswered, nAnswered, "RemoveDB"
r = o.GetDBCount(3) : Expect o, r, nFreeLeft, nAnswered, "GetDBCount(3) after it"
r = o.Save(1) : Expect o, r, nAnswered, nAnswered, "Save"
Set o = Nothing

' A product whose user applications may not be changed refuses RemoveDB before anything else.
CreateObject("WScript.Shell").RegWrite KEY_CUSTOMIZE, 0, "REG_DWORD"
Set o = CreateObject("OW.VXCtrlFileManager.1")
r = o.SetProductKey(key) : Expect o, r, True, 0, "SetProductKey without customizing"
r = o.RemoveDB(3, 1) : Expect o, r, -1578, -1578, "RemoveDB without customizing"
CreateObject("WScript.Shell").RegWrite KEY_CUSTOMIZE, 1, "REG_DWORD"
Set o = Nothing
WScript.Echo "ok"
