// A JScript target whose Line throws: the drawing method ends with that
// error. Prints "raised<TAB>number<TAB>description" or "result<TAB>n".
var target = {
    FontName: "", ForeColor: 0, FontBold: false, FontSize: 0, CurrentX: 0, CurrentY: 0,
    Line: function (flags, x1, y1, x2, y2, color) { throw new Error("no ink"); },
    Print: function (s) {},
    TextWidth: function (s) { return 7 * s.length; },
    TextHeight: function (s) { return 12; }
};
var tallux = new ActiveXObject("TALLUXLIB.Tallux");
try {
    var r = tallux.BarCODE39(target, 0, 0, "A", 2, 40, 0, false, "Arial", 0, 0, "3:1", false);
    WScript.Echo("result\t" + r);
} catch (e) {
    WScript.Echo("raised\t" + (e.number & 0xFFFF) + "\t" + e.description);
}
