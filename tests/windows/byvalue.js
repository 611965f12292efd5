// One drawing call from JScript, whose arguments all arrive by value: the
// method draws and returns its result; the script's pCode cannot change.
// Usage: cscript //nologo byvalue.js cases.txt N
// Writes the case's method calls on the recording object, then its outcome,
// in the lines that trace.py reads (types are JScript's own).
var file = new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(WScript.Arguments(0), 1);
var rows = [];
while (!file.AtEndOfStream) {
    var row = file.ReadLine();
    if (row.length > 0 && row.charAt(0) != "#") rows.push(row.split("\t"));
}
file.Close();
var index = parseInt(WScript.Arguments(1), 10);
var f = rows[index];

function typed(v) {
    return typeof v == "boolean" ? "boolean:" + (v ? -1 : 0) : typeof v + ":" + v;
}
function note(member, args) {
    var text = member;
    for (var i = 0; i < args.length; ++i) text += "\t" + typed(args[i]);
    WScript.Echo(text);
}

// A JScript object cannot see its properties being set: only the methods
// record their calls. TextWidth and TextHeight measure as the trace target.
var recorder = {
    FontName: "", ForeColor: 0, FontBold: false, FontSize: 0, CurrentX: 0, CurrentY: 0,
    Line: function (flags, x1, y1, x2, y2, color) { note("Line", arguments); },
    Print: function (s) { note("Print", arguments); },
    TextWidth: function (s) { note("TextWidth", arguments); return 7 * s.length; },
    TextHeight: function (s) { note("TextHeight", arguments); return 12; }
};

var tallux = new ActiveXObject("TALLUXLIB.Tallux");
var code = f[1];
WScript.Echo("case\t" + index + "\t" + f[0]);
try {
    var r = tallux[f[0]](recorder, parseFloat(f[2]), parseFloat(f[3]), code, parseInt(f[4], 10),
        parseInt(f[5], 10), parseInt(f[6], 10), f[7] != "0", f[8], parseInt(f[9], 10),
        parseInt(f[10], 10), f[11], f[12] != "0");
    WScript.Echo("result\t" + typed(r) + "\t" + typed(code));
} catch (e) {
    WScript.Echo("raised\tnumber:" + (e.number & 0xFFFF) + "\t" + typed(code));
}
