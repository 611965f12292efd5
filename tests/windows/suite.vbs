' The control through VBScript: SupBarType, every drawing method onto a
' recording class, write-back into the script's variables, raised errors, a
' target that lacks members or is missing, calls the interface refuses.
' Usage: cscript //nologo suite.vbs cases.txt
' Trace lines: "case<TAB>n<TAB>method", one line a target call
' ("Member<TAB>Type:value..."), then "result<TAB>Integer:n<TAB>String:code" or
' "raised<TAB>Long:n<TAB>String:code". Check lines: "check<TAB>ok|FAIL<TAB>what".
' The last line is "check<TAB>end<TAB>failures".
Option Explicit

Dim failures
failures = 0

Sub Expect(what, ok, detail)
    If ok Then
        WScript.Echo "check" & vbTab & "ok" & vbTab & what
    Else
        WScript.Echo "check" & vbTab & "FAIL" & vbTab & what & vbTab & detail
        failures = failures + 1
    End If
End Sub

' "Type:value", a Boolean as its number.
Function Typed(v)
    If TypeName(v) = "Boolean" Then
        Typed = "Boolean:" & CStr(CInt(v))
    Else
        Typed = TypeName(v) & ":" & CStr(v)
    End If
End Function

Sub Note(member, values)
    Dim text, one
    text = member
    For Each one In values
        text = text & vbTab & Typed(one)
    Next
    WScript.Echo text
End Sub

' A drawing target that writes every call it receives. TextWidth is 7 a
' character and TextHeight 12, as Singles: the Linux trace target's measures.
Class Recorder
    Private mFontName
    Private mForeColor
    Private mFontBold
    Private mFontSize
    Private mCurrentX
    Private mCurrentY

    Public Property Let FontName(v)
        mFontName = v
        Note "FontName", Array(v)
    End Property
    Public Property Get FontName()
        FontName = mFontName
    End Property
    Public Property Let ForeColor(v)
        mForeColor = v
        Note "ForeColor", Array(v)
    End Property
    Public Property Get ForeColor()
        ForeColor = mForeColor
    End Property
    Public Property Let FontBold(v)
        mFontBold = v
        Note "FontBold", Array(v)
    End Property
    Public Property Get FontBold()
        FontBold = mFontBold
    End Property
    Public Property Let FontSize(v)
        mFontSize = v
        Note "FontSize", Array(v)
    End Property
    Public Property Get FontSize()
        FontSize = mFontSize
    End Property
    Public Property Let CurrentX(v)
        mCurrentX = v
        Note "CurrentX", Array(v)
    End Property
    Public Property Get CurrentX()
        CurrentX = mCurrentX
    End Property
    Public Property Let CurrentY(v)
        mCurrentY = v
        Note "CurrentY", Array(v)
    End Property
    Public Property Get CurrentY()
        CurrentY = mCurrentY
    End Property
    Public Sub Line(flags, x1, y1, x2, y2, color)
        Note "Line", Array(flags, x1, y1, x2, y2, color)
    End Sub
    Public Sub Print(s)
        Note "Print", Array(s)
    End Sub
    Public Function TextWidth(s)
        Note "TextWidth", Array(s)
        TextWidth = CSng(7 * Len(s))
    End Function
    Public Function TextHeight(s)
        Note "TextHeight", Array(s)
        TextHeight = CSng(12)
    End Function
End Class

' A target with the set-up properties and Line only: no text members.
Class BarsOnly
    Public Property Let FontName(v)
    End Property
    Public Property Let ForeColor(v)
    End Property
    Public Property Let FontBold(v)
    End Property
    Public Property Let FontSize(v)
    End Property
    Public Sub Line(flags, x1, y1, x2, y2, color)
    End Sub
End Class

Dim tallux
Set tallux = CreateObject("TALLUXLIB.Tallux")

' SupBarType: 0 in a new instance, every member round-trips, so do values
' outside the enumeration; 70000 does not fit 16 bits.
Expect "SupBarType of a new instance", tallux.SupBarType = 0 And TypeName(tallux.SupBarType) = "Long", _
    Typed(tallux.SupBarType)
Dim stored, count
count = 0
For Each stored In Array(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 99, -1)
    tallux.SupBarType = stored
    If tallux.SupBarType = stored Then count = count + 1
Next
Expect "SupBarType round-trips", count = 16, count & " of 16"
Dim number
On Error Resume Next
tallux.SupBarType = 70000
number = Err.Number
On Error GoTo 0
Expect "SupBarType = 70000 raises 6 and keeps -1", number = 6 And tallux.SupBarType = -1, _
    number & " " & tallux.SupBarType

' One drawing call with the script's own variables, so every argument
' arrives by reference and pCode takes the write-back; its outcome line.
Function Drawn(fields, target)
    Dim m, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk, r
    m = fields(0)
    code = fields(1)
    px = CSng(fields(2))
    py = CSng(fields(3))
    wide = CInt(fields(4))
    high = CInt(fields(5))
    txt = CInt(fields(6))
    bold = CBool(fields(7))
    font = fields(8)
    fore = CLng(fields(9))
    bars = CLng(fields(10))
    ratio = fields(11)
    chk = CBool(fields(12))
    On Error Resume Next
    Select Case m
    Case "BarCODABAR"
        r = tallux.BarCODABAR(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarCODE11"
        r = tallux.BarCODE11(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarCODE128"
        r = tallux.BarCODE128(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarCODE25"
        r = tallux.BarCODE25(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarCODE39"
        r = tallux.BarCODE39(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarCODE39F"
        r = tallux.BarCODE39F(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarCODE93"
        r = tallux.BarCODE93(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarEAN13"
        r = tallux.BarEAN13(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarEAN8"
        r = tallux.BarEAN8(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarISBN"
        r = tallux.BarISBN(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarMSI"
        r = tallux.BarMSI(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarPOSTNET"
        r = tallux.BarPOSTNET(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarUPCA"
        r = tallux.BarUPCA(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarUPCAPlus"
        r = tallux.BarUPCAPlus(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    Case "BarUPCE"
        r = tallux.BarUPCE(target, px, py, code, wide, high, txt, bold, font, fore, bars, ratio, chk)
    End Select
    If Err.Number <> 0 Then
        Drawn = "raised" & vbTab & "Long:" & Err.Number & vbTab & Typed(code)
    Else
        Drawn = "result" & vbTab & Typed(r) & vbTab & Typed(code)
    End If
    On Error GoTo 0
End Function

Dim cases, row, fields, index, first
Set cases = CreateObject("Scripting.FileSystemObject").OpenTextFile(WScript.Arguments(0), 1)
index = 0
Do Until cases.AtEndOfStream
    row = cases.ReadLine
    If Len(row) > 0 And Left(row, 1) <> "#" Then
        fields = Split(row, vbTab)
        WScript.Echo "case" & vbTab & index & vbTab & fields(0)
        WScript.Echo Drawn(fields, New Recorder)
        index = index + 1
        If IsEmpty(first) Then first = fields
    End If
Loop
cases.Close

' A member that the target lacks is 438 when the method first needs it, and
' nothing when it does not: the first case drawn without and with text.
Dim plain, outcome
plain = first
plain(6) = "0"
outcome = Drawn(plain, New BarsOnly)
Expect "a target without text members draws bars without text", _
    InStr(outcome, "result" & vbTab & "Integer:0" & vbTab) = 1, outcome
plain(6) = "1"
outcome = Drawn(plain, New BarsOnly)
Expect "a target without text members gives 438 with text", _
    InStr(outcome, "result" & vbTab & "Integer:438" & vbTab) = 1, outcome

plain(6) = "0"
outcome = Drawn(plain, Nothing)
Expect "a drawing call without a target gives 91", _
    InStr(outcome, "result" & vbTab & "Integer:91" & vbTab) = 1, outcome

' A target's own error whose number does not fit 16 bits is raised as 6 (the
' result cannot hold it), with a description that names the member and the
' target's error: its number, and its description where the script engine
' passes one (Wine's does not).
Class RaisesInLine
    Public FontName
    Public ForeColor
    Public FontBold
    Public FontSize
    Public Sub Line(flags, x1, y1, x2, y2, color)
        Err.Raise vbObjectError + 513, "Target", "no ink"
    End Sub
End Class
Class LineOfFive
    Public FontName
    Public ForeColor
    Public FontBold
    Public FontSize
    Public Sub Line(flags, x1, y1, x2, y2)
    End Sub
End Class

Function RaisedBy(target)
    Dim code, r
    code = "A"
    On Error Resume Next
    r = tallux.BarCODE39(target, 0, 0, code, 2, 40, 0, False, "Arial", 0, 0, "3:1", False)
    RaisedBy = Err.Number & " " & Err.Description
    On Error GoTo 0
End Function

outcome = RaisedBy(New RaisesInLine)
Expect "a target's Line raising vbObjectError + 513 raises 6, naming Line and the error", _
    InStr(outcome, "6 Overflow: the target's Line raised -2147220991 (") = 1, outcome
outcome = RaisedBy(New LineOfFive)
Expect "a target's Line of five parameters raises 6, naming Line", _
    InStr(outcome, "6 Overflow: the target's Line raised ") = 1, outcome

' Calls that the dispatch interface refuses.
On Error Resume Next
number = tallux.BarEAN13(New Recorder)
Expect "a drawing call with one argument raises 450", Err.Number = 450, Err.Number
Err.Clear
number = tallux.BarEAN14()
Expect "an unknown member raises 438", Err.Number = 438, Err.Number
On Error GoTo 0

WScript.Echo "check" & vbTab & "end" & vbTab & failures
