' Creates the control and draws one symbol on a target that takes every call:
' prints "check<TAB>drawn<TAB>result<TAB>code", or the error of CreateObject.
Class Quiet
    Public FontName
    Public ForeColor
    Public FontBold
    Public FontSize
    Public CurrentX
    Public CurrentY
    Public Sub Line(flags, x1, y1, x2, y2, color)
    End Sub
    Public Sub Print(s)
    End Sub
    Public Function TextWidth(s)
        TextWidth = 7 * Len(s)
    End Function
    Public Function TextHeight(s)
        TextHeight = 12
    End Function
End Class

On Error Resume Next
Dim bc, target, code, r
Set bc = CreateObject("TALLUXLIB.Tallux")
If Err.Number <> 0 Then
    WScript.Echo "check" & vbTab & "created" & vbTab & Err.Number
    WScript.Quit 1
End If
Set target = New Quiet
code = "CODE39"
r = bc.BarCODE39(target, 10, 10, code, 2, 40, 1, False, "Arial", 0, 0, "3:1", True)
WScript.Echo "check" & vbTab & "drawn" & vbTab & r & vbTab & code
