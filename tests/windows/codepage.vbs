' The code of a character comes from the system's ANSI code page. run.sh
' writes this script in a code page with @CHARACTER@ replaced, and runs it
' under that system code page: Code 11's check characters, written back into
' pCode, add up the character's code. Prints "check<TAB>result<TAB>last two".
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

Dim bc, code, r
Set bc = CreateObject("TALLUXLIB.Tallux")
code = "1@CHARACTER@"
r = bc.BarCODE11(New Quiet, 10, 10, code, 2, 40, 0, False, "Arial", 0, 0, "3:1", True)
WScript.Echo "check" & vbTab & r & vbTab & Right(code, 2)
