#!/usr/bin/env python3
"""Compares what a Windows client recorded with the Linux command's trace.

    trace.py CLI CASES ACTUAL [--case N] [--by-value] [--untyped] [--methods-only]

CLI is the Linux `tallux` command, CASES the table of drawing calls, ACTUAL
the client's output: for every case (or only case N) a line "case<TAB>n<TAB>
method", one line a target call ("Member<TAB>Type:value..."), then "result"
or "raised" with the number and the caller's pCode. Lines starting "check"
are the client's own checks and are left out here. --by-value: no write-back
is expected; --untyped: types are not compared (JScript knows only numbers);
--methods-only: property puts are not compared (a JScript object records
none). Numbers compare to 7 significant digits (a script's CStr of a Single).
"""
import json
import math
import subprocess
import sys

# The type of each value that a member receives, where the trace has none.
MEMBER_TYPES = {
    "FontName": ["String"], "ForeColor": ["Long"], "FontBold": ["Boolean"],
    "FontSize": ["Integer"], "Print": ["String"], "TextWidth": ["String"],
    "TextHeight": ["String"],
    "Line": ["Integer", "Integer", "Single", "Integer", "Single", "Long"],
}
PROPERTIES = {"FontName", "ForeColor", "FontBold", "FontSize", "CurrentX", "CurrentY"}
COLUMNS = ["code", "x", "y", "width", "height", "text", "bold", "font",
           "fore-color", "line-color", "ratio", "chk"]


def read_cases(path):
    with open(path, encoding="ascii") as f:
        return [line.rstrip("\n").split("\t") for line in f
                if line.strip() and not line.startswith("#")]


def line_of(call):
    """One JSON trace line as the clients write it."""
    member = call.pop("call")
    if member in ("CurrentX", "CurrentY"):
        return [member, f"{call['type']}:{call['value']}"]
    if member == "Line":
        values = [call[k] for k in ("flags", "x1", "y1", "x2", "y2", "color")]
    else:
        values = [call["text"] if "text" in call else call["value"]]
    return [member] + [f"{t}:{v}" for t, v in zip(MEMBER_TYPES[member], values)]


def expected(cli, index, fields, by_value):
    """The Linux command's trace of one case, in the clients' line format."""
    args = [cli, "draw", fields[0], "--target", "trace"]
    for name, value in zip(COLUMNS, fields[1:]):
        args.append(f"--{name}={value}")
    run = subprocess.run(args, capture_output=True, text=True)
    lines = [["case", str(index), fields[0]]]
    for text in run.stdout.splitlines():
        call = json.loads(text)
        if "call" in call:
            lines.append(line_of(call))
        else:
            code = fields[1] if by_value else call["code"]
            if "raised" in call:
                lines.append(["raised", f"Long:{call['raised']}", f"String:{code}"])
            else:
                lines.append(["result", f"Integer:{call['result']}", f"String:{code}"])
    return lines


def same_value(a, b, typed):
    ta, _, va = a.partition(":")
    tb, _, vb = b.partition(":")
    if typed and ta != tb:
        return False
    if va == vb:
        return True
    try:
        x, y = float(va), float(vb)
    except ValueError:
        return False
    return math.isclose(x, y, rel_tol=1e-6, abs_tol=1e-9)


def same_line(a, b, typed):
    if len(a) != len(b) or a[0] != b[0]:
        return False
    if a[0] == "case":
        return a == b
    return all(same_value(x, y, typed) for x, y in zip(a[1:], b[1:]))


def main(argv):
    positional = [a for a in argv if not a.startswith("--")]
    options = [a for a in argv if a.startswith("--")]
    case = None
    if "--case" in argv:
        case = int(argv[argv.index("--case") + 1])
        positional.remove(str(case))
    cli, cases_path, actual_path = positional
    by_value = "--by-value" in options
    typed = "--untyped" not in options
    methods_only = "--methods-only" in options

    want = []
    for i, fields in enumerate(read_cases(cases_path)):
        if case is None or case == i:
            want += expected(cli, i, fields, by_value)
    with open(actual_path, encoding="latin-1") as f:
        got = [line.rstrip("\r\n").split("\t") for line in f if line.strip()]
    got = [g for g in got if g[0] != "check"]
    if methods_only:
        want = [w for w in want if w[0] not in PROPERTIES]
        got = [g for g in got if g[0] not in PROPERTIES]

    header = None
    for n in range(max(len(want), len(got))):
        w = want[n] if n < len(want) else None
        g = got[n] if n < len(got) else None
        if w and w[0] == "case":
            header = "\t".join(w)
        if w is None or g is None or not same_line(w, g, typed):
            print(f"trace differs in {header}, at trace line {n + 1} of {actual_path}:")
            print("  expected: " + ("\t".join(w) if w else "(nothing)"))
            print("  got:      " + ("\t".join(g) if g else "(nothing)"))
            return 1
    print(f"{len(want)} trace lines match ({actual_path})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
