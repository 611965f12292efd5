// Ready-made drawing targets: the rules of the ten members written once
// (font state, host colours, clamps, the print position), and the SVG and
// canvas surfaces behind them; and a target that records every call.

// The host's system colours in its standard scheme, 0x00BBGGRR, by index.
const SYSTEM_COLORS = [
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF,
];

// A colour in the host's format as 0xRRGGBB: 0x00BBGGRR, or 0x800000NN for
// system colour NN; undefined for anything else.
function hostColor(value) {
    const bits = value >>> 0;
    let bgr;
    if (bits >>> 24 === 0) bgr = bits;
    else if (bits >>> 24 === 0x80 && (bits & 0xFFFFFF) < SYSTEM_COLORS.length) bgr = SYSTEM_COLORS[bits & 0xFFFFFF];
    else return undefined;
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | (bgr >>> 16);
}

function cssColor(rgb) {
    return `#${rgb.toString(16).padStart(6, '0')}`;
}

function targetError(number, message) {
    const e = new Error(message);
    e.number = number;
    return e;
}

// Advance widths of ASCII 32..126 in thousandths of the size, of a face
// with Arial's and Helvetica's metrics, regular and bold; other characters
// take the width of a digit.
const WIDTHS = [
    [278, 278, 355, 556, 556, 889, 667, 222, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
        556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722,
        667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667,
        944, 667, 667, 611, 278, 278, 278, 469, 556, 222, 556, 556, 500, 556, 556, 278, 556, 556,
        222, 222, 500, 222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500,
        334, 260, 334, 584],
    [278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
        556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722,
        667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667,
        944, 667, 667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611,
        278, 278, 556, 278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500,
        389, 280, 389, 584],
];
const ASCENT = 0.905; // of the size, from the top of the line to the baseline
const LINE_HEIGHT = 1.15;

// Smallest and largest font sizes drawn, in points: FontSize never fails.
const SMALLEST_POINTS = 1;
const LARGEST_POINTS = 2160;
// Box edges beyond this many units either side of the origin are drawn at it.
const FARTHEST = 1e9;

// The rules of the ten members for a surface; a surface supplies fillBox,
// measureText (returns {width, height}) and drawText.
class HostTarget {
    constructor() {
        this.font = { name: 'Sans', bold: false, points: 8 };
        this.foreColor = 0x000000; // 0xRRGGBB
        this.x = 0;
        this.y = 0;
    }

    set FontName(value) { this.font = { ...this.font, name: String(value) }; }
    get FontName() { return this.font.name; }
    set ForeColor(value) {
        const rgb = hostColor(value);
        if (rgb === undefined) throw targetError(380, 'Invalid property value: not a colour');
        this.foreColor = rgb;
    }
    get ForeColor() { return this.foreColor; }
    set FontBold(value) { this.font = { ...this.font, bold: Boolean(value) }; }
    get FontBold() { return this.font.bold; }
    set FontSize(value) {
        const points = Math.min(Math.max(Math.trunc(value), SMALLEST_POINTS), LARGEST_POINTS);
        this.font = { ...this.font, points };
    }
    get FontSize() { return this.font.points; }
    set CurrentX(value) {
        if (!Number.isFinite(value)) throw targetError(380, 'Invalid property value');
        this.x = value;
    }
    get CurrentX() { return this.x; }
    set CurrentY(value) {
        if (!Number.isFinite(value)) throw targetError(380, 'Invalid property value');
        this.y = value;
    }
    get CurrentY() { return this.y; }

    // A filled box, both corners inclusive: an element of width w covers w units.
    Line(flags, x1, y1, x2, y2, color) {
        if (flags !== 38) throw targetError(5, 'Line draws filled boxes only (flags 38)');
        const rgb = hostColor(color);
        if (rgb === undefined) throw targetError(5, 'Invalid procedure call or argument: not a colour');
        if (!Number.isFinite(y1) || !Number.isFinite(y2)) throw targetError(5, 'Invalid procedure call or argument');
        const ax = x1, bx = x2 + 1, ay = y1, by = y2 + 1;
        const x0 = Math.min(ax, bx), x1e = Math.max(ax, bx);
        const y0 = Math.min(Math.max(Math.min(ay, by), -FARTHEST), FARTHEST);
        const y1e = Math.min(Math.max(Math.max(ay, by), -FARTHEST), FARTHEST);
        if (x0 < x1e && y0 < y1e) this.fillBox(x0, y0, x1e, y1e, rgb);
    }

    // Draws s at the print position, which then moves to the next line.
    Print(s) {
        const m = this.drawText(String(s), this.x, this.y, this.foreColor);
        this.x = 0;
        this.y += m.height;
    }

    TextWidth(s) { return Math.fround(this.measureText(String(s)).width); }
    TextHeight(s) { return Math.fround(this.measureText(String(s)).height); }
}

// Width and height of s in a font of `size` units, by the table above.
function tableMetrics(s, size, bold) {
    const widths = WIDTHS[bold ? 1 : 0];
    let thousandths = 0;
    for (let i = 0; i < s.length; ++i) {
        const c = s.charCodeAt(i);
        if (c >= 0xDC00 && c <= 0xDFFF && i > 0) continue; // the second half of a pair
        thousandths += c >= 32 && c <= 126 ? widths[c - 32] : 556;
    }
    return { width: (thousandths * size) / 1000, height: size * LINE_HEIGHT };
}

// Points per scale unit, by unit name.
const POINTS_PER_UNIT = { px: 0.75, pt: 1, twips: 0.05, mm: 72 / 25.4, in: 72 };

function pointsPerUnit(who, units) {
    if (!Object.hasOwn(POINTS_PER_UNIT, units)) throw new RangeError(`${who}: unknown units '${units}'`);
    return POINTS_PER_UNIT[units];
}

// The shortest text of a number, whole numbers below 1e15 as integers; what
// is not finite is written as 0.
function num(v) {
    if (!Number.isFinite(v)) return '0';
    if (Math.abs(v) < 1e15 && v === Math.trunc(v)) return String(v === 0 ? 0 : v);
    return String(v);
}

// Text that goes into XML as it is.
const PLAIN_TEXT = /^[^&<>"\u0000-\u001F\u007F-\u009F\u2028\u2029\uD800-\uDFFF\uFFFE\uFFFF]*$/;

function escapeXml(s) {
    return s.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}

// Characters that XML cannot hold, and line separators, become U+FFFD, so
// that every text stays one line of a well-formed document.
function xmlText(s) {
    // eslint-disable-next-line no-control-regex
    return s.replace(/[\u0000-\u001F\u007F-\u009F\u2028\u2029\uFFFE\uFFFF]|[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g, '\uFFFD');
}

function cssString(name) {
    let s = "'";
    for (const c of name) {
        const code = c.codePointAt(0);
        if (c === "'" || c === '\\') s += `\\${c}`;
        else if (code < 0x20 || code === 0x7F) s += `\\${code.toString(16).padStart(2, '0')} `;
        else s += c;
    }
    return `${s}'`;
}

// The font-family list: every family asked for, then the generic sans-serif.
function familyList(asked) {
    const names = asked.split(',').map((n) => n.replace(/^[ \t]+|[ \t]+$/g, '')).filter((n) => n !== '');
    return [...names.map(cssString), 'sans-serif'].join(', ');
}

// An SVG document of what was drawn: the same elements as the component's
// C++ SVG writer. Runs of boxes of one colour become one path of
// rectangles, white boxes where the page is still untouched are left out,
// each text piece is a text element; the page, in points, is laid out around
// the drawing with a quiet zone of ten of the narrowest element (or
// `margin` units) on each side, when toString() is called.
// Options: units ('twips', 'pt', 'px', 'mm', 'in'; default 'twips', as the
// command draws), margin,
// measure(text, {name, bold, size}) giving {width, height} in units.
class SvgTarget extends HostTarget {
    constructor(options = {}) {
        super();
        this.perUnit = pointsPerUnit('SvgTarget', options.units ?? 'twips');
        this.margin = options.margin;
        this.measure = options.measure;
        this.clear();
    }

    // Starts a new, empty page.
    clear() {
        this.parts = [];
        this.pathColor = -1;
        this.rect = null;
        this.inkRight = -Infinity;
        this.texts = [];
        this.textsAround = null;
        this.bounds = null;
        this.narrowest = Infinity;
        this.fontKey = null;
        this.fontAttributes = '';
    }

    fontSize() {
        return this.font.points / this.perUnit;
    }

    measureText(s) {
        const size = this.fontSize();
        if (this.measure) {
            const m = this.measure(s, { name: this.font.name, bold: this.font.bold, size });
            return { width: Number(m.width) || 0, height: Number(m.height) || 0 };
        }
        return tableMetrics(s, size, this.font.bold);
    }

    grow(x0, y0, x1, y1) {
        const b = this.bounds;
        this.bounds = b === null ? [x0, y0, x1, y1]
            : [Math.min(b[0], x0), Math.min(b[1], y0), Math.max(b[2], x1), Math.max(b[3], y1)];
    }

    // Nothing but the white page lies under the box.
    untouched(x0, y0, x1, y1) {
        if (x0 < this.inkRight || this.texts.length > 32) return false;
        const meets = (t) => x0 < t[2] && t[0] < x1 && y0 < t[3] && t[1] < y1;
        if (this.textsAround === null || !meets(this.textsAround)) return true;
        return !this.texts.some(meets);
    }

    fillBox(x0, y0, x1, y1, rgb) {
        this.grow(x0, y0, x1, y1);
        this.narrowest = Math.min(this.narrowest, x1 - x0);
        if (rgb === 0xFFFFFF) {
            if (this.untouched(x0, y0, x1, y1)) return;
        } else {
            this.inkRight = Math.max(this.inkRight, x1);
        }
        const r = this.rect;
        if (r !== null && rgb === this.pathColor) {
            if (r[2] === x0 && r[1] === y0 && r[3] === y1) {
                r[2] = x1; // the same rectangle, wider
                return;
            }
            this.flushRect();
        } else {
            this.endPath();
            this.parts.push(`<path fill="${cssColor(rgb)}" d="`);
            this.pathColor = rgb;
        }
        this.rect = [x0, y0, x1, y1];
    }

    flushRect() {
        const [x0, y0, x1, y1] = this.rect;
        this.parts.push(`M${num(x0)} ${num(y0)}H${num(x1)}V${num(y1)}H${num(x0)}Z`);
    }

    endPath() {
        if (this.rect === null) return;
        this.flushRect();
        this.parts.push('"/>\n');
        this.rect = null;
        this.pathColor = -1;
    }

    drawText(s, x, y, rgb) {
        const m = this.measureText(s);
        this.endPath();
        const ink = [x, y, x + m.width, y + m.height];
        this.texts.push(ink);
        const a = this.textsAround;
        this.textsAround = a === null ? ink
            : [Math.min(a[0], ink[0]), Math.min(a[1], ink[1]), Math.max(a[2], ink[2]), Math.max(a[3], ink[3])];
        this.grow(...ink);
        const size = this.fontSize();
        // The font's attributes are written once for every text in that font.
        const key = `${this.font.name}\u0000${this.font.bold}\u0000${size}`;
        if (this.fontKey !== key) {
            this.fontKey = key;
            this.fontAttributes = ` font-family="${escapeXml(familyList(this.font.name))}" font-size="${num(size)}" font-weight="${this.font.bold ? 'bold' : 'normal'}"`;
        }
        let tail = this.fontAttributes;
        if (m.width > 0) tail += ` textLength="${num(m.width)}" lengthAdjust="spacingAndGlyphs"`;
        if (s.startsWith(' ') || s.endsWith(' ') || s.includes('  ')) tail += ' xml:space="preserve"';
        const content = PLAIN_TEXT.test(s) ? s : escapeXml(xmlText(s));
        this.parts.push(`<text x="${num(x)}" y="${num(y + ASCENT * size)}" fill="${cssColor(rgb)}"${tail}>${content}</text>\n`);
        return m;
    }

    // The whole document, laid out around what was drawn so far.
    toString() {
        this.endPath();
        const quiet = this.margin ?? (Number.isFinite(this.narrowest) ? 10 * this.narrowest : 0);
        const axis = (low, high) => {
            if (this.bounds === null) return [0, 2 * quiet];
            const origin = Math.max(0, quiet - low);
            return [origin, origin + high + quiet];
        };
        const b = this.bounds ?? [0, 0, 0, 0];
        const [ox, lx] = axis(b[0], b[2]);
        const [oy, ly] = axis(b[1], b[3]);
        const k = this.perUnit;
        const width = num(Math.max(1, lx * k));
        const height = num(Math.max(1, ly * k));
        return '<?xml version="1.0" encoding="UTF-8"?>\n'
            + `<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="${width}pt" height="${height}pt" viewBox="0 0 ${width} ${height}">\n`
            + '<rect width="100%" height="100%" fill="#ffffff"/>\n'
            + `<g transform="matrix(${num(k)} 0 0 ${num(k)} ${num(ox * k)} ${num(oy * k)})">\n`
            + this.parts.join('')
            + '</g>\n</svg>\n';
    }
}

// A 2D canvas as the target (a browser canvas, an OffscreenCanvas, or
// node-canvas), in the context's own units. Options: units, what one unit of
// the context is ('px', the default, 96 an inch; 'twips', 'pt', 'mm', 'in'),
// which sets how large FontSize's points are.
class CanvasTarget extends HostTarget {
    constructor(ctx, options = {}) {
        super();
        if (ctx === null || typeof ctx !== 'object' || typeof ctx.fillRect !== 'function')
            throw new TypeError('CanvasTarget needs a 2D canvas context');
        this.ctx = ctx;
        this.perUnit = pointsPerUnit('CanvasTarget', options.units ?? 'px');
        this.fontSet = null;
    }

    cssFont() {
        const size = this.font.points / this.perUnit;
        const families = this.font.name.split(',').map((n) => n.trim()).filter((n) => n !== '')
            .map((n) => JSON.stringify(n));
        return `${this.font.bold ? 'bold ' : ''}${size}px ${[...families, 'sans-serif'].join(', ')}`;
    }

    useFont() {
        const font = this.cssFont();
        if (this.fontSet !== font) {
            this.ctx.font = font;
            this.fontSet = font;
        }
    }

    measureText(s) {
        this.useFont();
        const m = this.ctx.measureText(s);
        const size = this.font.points / this.perUnit;
        const height = m.fontBoundingBoxAscent !== undefined && m.fontBoundingBoxDescent !== undefined
            ? m.fontBoundingBoxAscent + m.fontBoundingBoxDescent : size * LINE_HEIGHT;
        return { width: m.width, height };
    }

    fillBox(x0, y0, x1, y1, rgb) {
        this.ctx.fillStyle = cssColor(rgb);
        this.ctx.fillRect(x0, y0, x1 - x0, y1 - y0);
    }

    drawText(s, x, y, rgb) {
        const m = this.measureText(s);
        this.ctx.fillStyle = cssColor(rgb);
        this.ctx.textBaseline = 'top';
        this.ctx.fillText(s, x, y);
        return m;
    }
}

// A target that logs every call in order, as the command's trace writes it:
// {call: 'Line', flags, x1, y1, x2, y2, color}, {call: 'Print', text}, ...
// TextWidth is charWidth per UTF-16 unit and TextHeight charHeight, both
// Singles. lack(member) and failOn(member, nth, number) make a member fail.
class RecordingTarget {
    constructor(options = {}) {
        this.calls = [];
        this.charWidth = options.charWidth ?? 7;
        this.charHeight = options.charHeight ?? 12;
        this.failures = new Map();
        this.seen = new Map();
    }

    lack(member) {
        this.failures.set(member, { nth: 0, number: 438 });
    }

    failOn(member, nth, number) {
        this.failures.set(member, { nth, number });
    }

    clear() {
        this.calls = [];
        this.seen = new Map();
    }

    record(call) {
        this.calls.push(call);
        const f = this.failures.get(call.call);
        if (f === undefined) return;
        const seen = (this.seen.get(call.call) ?? 0) + 1;
        this.seen.set(call.call, seen);
        if (f.nth === 0 || f.nth === seen) {
            call.failed = true;
            throw targetError(f.number, `${call.call} failed`);
        }
    }

    set FontName(value) { this.record({ call: 'FontName', value }); }
    set ForeColor(value) { this.record({ call: 'ForeColor', value }); }
    set FontBold(value) { this.record({ call: 'FontBold', value }); }
    set FontSize(value) { this.record({ call: 'FontSize', value }); }
    set CurrentX(value) { this.record({ call: 'CurrentX', value }); }
    set CurrentY(value) { this.record({ call: 'CurrentY', value }); }
    Line(flags, x1, y1, x2, y2, color) { this.record({ call: 'Line', flags, x1, y1, x2, y2, color }); }
    Print(text) { this.record({ call: 'Print', text }); }
    TextWidth(text) {
        const value = Math.fround(this.charWidth * text.length);
        this.record({ call: 'TextWidth', text, value });
        return value;
    }
    TextHeight(text) {
        const value = Math.fround(this.charHeight);
        this.record({ call: 'TextHeight', text, value });
        return value;
    }
}
