' After unregistration the control can no longer be created.
On Error Resume Next
Dim tallux
Set tallux = CreateObject("TALLUXLIB.Tallux")
WScript.Echo "check" & vbTab & "CreateObject after unregistration" & vbTab & Err.Number
