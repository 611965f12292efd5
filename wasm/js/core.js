// The bridge between the component in WebAssembly and JavaScript: the
// late-bound calls to the target of the current drawing, the caller's
// variables as the methods take them, and the control class Tallux.

const MEMBERS = [
    'FontName', 'ForeColor', 'FontBold', 'FontSize', 'CurrentX',
    'CurrentY', 'Line', 'Print', 'TextWidth', 'TextHeight',
];

// The methods in the order of tBarcodeType; their values are their indices.
const METHODS = [
    ['BarCODABAR', 'Codabar'], ['BarCODE11', 'Code_11'], ['BarCODE128', 'Code_128'],
    ['BarCODE25', 'Code_25'], ['BarCODE39', 'Code_39'], ['BarCODE39F', 'Code_39F'],
    ['BarCODE93', 'Code_93'], ['BarEAN13', 'EAN_13'], ['BarEAN8', 'EAN_8'], ['BarISBN', 'ISBN'],
    ['BarMSI', 'Code_MSI'], ['BarPOSTNET', 'PostNet'], ['BarUPCA', 'UPC_A'],
    ['BarUPCAPlus', 'UPC_A_Plus'], ['BarUPCE', 'UPC_E'],
];

const tBarcodeType = Object.freeze(Object.fromEntries(METHODS.map(([, member], i) => [member, i])));

const MESSAGES = {
    5: 'Invalid procedure call or argument', 6: 'Overflow', 7: 'Out of memory',
    9: 'Subscript out of range', 11: 'Division by zero', 13: 'Type mismatch',
    51: 'Internal error', 91: 'Object variable or With block variable not set',
    94: 'Invalid use of Null', 380: 'Invalid property value', 429: 'ActiveX component can\'t create object',
    438: 'Object doesn\'t support this property or method', 440: 'Automation error',
    448: 'Named argument not found',
};

function standardMessage(number) {
    return MESSAGES[number] || 'Application-defined or object-defined error';
}

// A run-time error of the component: `number` is its error number, `pCode`
// the caller's code as the method had left it when it raised.
class TalluxError extends Error {
    constructor(number, message, options = {}) {
        super(message || standardMessage(number), options.cause === undefined ? undefined : { cause: options.cause });
        this.name = 'TalluxError';
        this.number = number;
        if (options.pCode !== undefined) this.pCode = options.pCode;
    }
}

// The number that a value thrown by a target stands for: its `number`
// (a JScript-style 0x800A.... number gives its low 16 bits), 440 (an
// automation error) when it has none.
function thrownNumber(e) {
    if (e === null || (typeof e !== 'object' && typeof e !== 'function')) return 440;
    let n;
    try {
        n = e.number;
    } catch {
        return 440;
    }
    if (typeof n !== 'number' || !Number.isInteger(n)) return 440;
    if (n === 0) return 5;
    if (Math.abs(n) < 2 ** 32 && (n >>> 16) === 0x800A) return n & 0xFFFF;
    return n >= -(2 ** 31) && n < 2 ** 31 ? n : 2 ** 31 - 1; // beyond 16 bits either way
}

// The property of `target` by that name, own or inherited.
function findProperty(target, name) {
    for (let o = target; o !== null; o = Object.getPrototypeOf(o)) {
        const d = Object.getOwnPropertyDescriptor(o, name);
        if (d !== undefined) return d;
    }
    return undefined;
}

// The late-bound calls: the component calls these for the target of the
// drawing under way; each answers 0, or 1 with the failure's number kept.
// Nothing thrown by a target leaves here.
function makeCalls() {
    const calls = {
        target: null,
        number: 0,
        thrown: undefined,
        measured: 0,
        measuredType: 0,
        fail(number) {
            this.number = number;
            return 1;
        },
        threw(e) {
            this.thrown = e;
            return this.fail(thrownNumber(e));
        },
        failure() {
            return this.number;
        },
        // A property put: a data property is assigned, an accessor's setter
        // called, a method of that name called with the value.
        put(member, value) {
            const target = this.target;
            const name = MEMBERS[member];
            try {
                const d = findProperty(target, name);
                const v = member === 2 ? value !== 0 : value;
                if (d === undefined) return this.fail(438);
                if (d.set !== undefined) d.set.call(target, v);
                else if (typeof d.value === 'function') d.value.call(target, v);
                else if (d.writable) target[name] = v;
                else return this.fail(438);
                return 0;
            } catch (e) {
                return this.threw(e);
            }
        },
        putText(member, text) {
            return member === 7 ? this.method(7, text) : this.put(member, text);
        },
        method(member, text) {
            const target = this.target;
            try {
                const f = target[MEMBERS[member]];
                if (typeof f !== 'function') return this.fail(438);
                f.call(target, text);
                return 0;
            } catch (e) {
                return this.threw(e);
            }
        },
        line(flags, x1, y1, x2, y2, color) {
            const target = this.target;
            try {
                const f = target.Line;
                if (typeof f !== 'function') return this.fail(438);
                f.call(target, flags, x1, y1, x2, y2, color);
                return 0;
            } catch (e) {
                return this.threw(e);
            }
        },
        // TextWidth or TextHeight: the number returned, typed 0 Integer,
        // 2 Single (a number a Single holds exactly), 3 Double.
        measure(member, text) {
            const target = this.target;
            let v;
            try {
                const f = target[MEMBERS[member]];
                if (typeof f !== 'function') return this.fail(438);
                v = f.call(target, text);
            } catch (e) {
                return this.threw(e);
            }
            switch (typeof v) {
            case 'number':
                this.measured = v;
                this.measuredType = Math.fround(v) === v ? 2 : 3;
                return 0;
            case 'undefined':
                this.measured = 0;
                this.measuredType = 0;
                return 0;
            case 'boolean':
                this.measured = v ? -1 : 0;
                this.measuredType = 0;
                return 0;
            case 'bigint':
                this.measured = Number(v);
                this.measuredType = 3;
                return 0;
            case 'string': {
                const n = v.trim() === '' ? NaN : Number(v);
                if (Number.isNaN(n)) return this.fail(13);
                this.measured = n;
                this.measuredType = 3;
                return 0;
            }
            default:
                return this.fail(v === null ? 94 : 13);
            }
        },
    };
    return calls;
}

// The caller's variables, with the values a method gets when one is left out.
const DEFAULTS = {
    x: 0, y: 0, code: '', width: 2, height: 60, text: 1, bold: false, font: 'Arial',
    foreColor: 0, lineColor: 0, ratio: '3:1', chk: false,
};
const KINDS = {
    x: 'single', y: 'single', code: 'string', width: 'integer', height: 'integer',
    text: 'integer', bold: 'boolean', font: 'string', foreColor: 'long', lineColor: 'long',
    ratio: 'string', chk: 'boolean',
};

// Longest text passed in, in UTF-16 units: 16 M, 32 MB a copy.
const LONGEST_TEXT = 1 << 24;

function badArgument(number, name, why) {
    return new TalluxError(number, `${standardMessage(number)}: '${name}' ${why}`);
}

function roundHalfEven(v) {
    const r = Math.round(v);
    return r - v === 0.5 && r % 2 !== 0 ? r - 1 : r;
}

// A value as a number, as a dispatch call coerces it: numbers, booleans
// (true is -1), numeric strings; null is Invalid use of Null (94), anything
// else a Type mismatch (13).
function numeric(name, v) {
    switch (typeof v) {
    case 'number': return v;
    case 'boolean': return v ? -1 : 0;
    case 'bigint': return Number(v);
    case 'string': {
        const n = v.trim() === '' ? NaN : Number(v);
        if (!Number.isNaN(n)) return n;
        throw badArgument(13, name, 'is not a number');
    }
    default:
        if (v === null) throw badArgument(94, name, 'is null');
        throw badArgument(13, name, `is ${typeof v === 'object' ? 'an object' : `a ${typeof v}`}`);
    }
}

function coerce(name, v) {
    switch (KINDS[name]) {
    case 'single': {
        const n = numeric(name, v);
        const f = Math.fround(n);
        if (Number.isFinite(n) && !Number.isFinite(f)) throw badArgument(6, name, 'does not fit a Single');
        return f;
    }
    case 'integer': {
        const n = roundHalfEven(numeric(name, v));
        if (!(n >= -32768 && n <= 32767)) throw badArgument(6, name, 'does not fit 16 bits');
        return n;
    }
    case 'long': {
        // A colour may be written as an unsigned 32-bit value (0x80000008).
        const n = roundHalfEven(numeric(name, v));
        if (!(n >= -(2 ** 31) && n < 2 ** 32)) throw badArgument(6, name, 'does not fit 32 bits');
        return n | 0;
    }
    case 'boolean':
        return numeric(name, v) !== 0 ? -1 : 0;
    default: // string
        if (typeof v === 'string') {
            if (v.length > LONGEST_TEXT) throw badArgument(7, name, `is longer than ${LONGEST_TEXT} characters`);
            return v;
        }
        if (typeof v === 'number' || typeof v === 'bigint') return String(v);
        if (v === null) throw badArgument(94, name, 'is null');
        throw badArgument(13, name, `is ${typeof v === 'object' ? 'an object' : `a ${typeof v}`}, not a string`);
    }
}

// The thirteen variables of a call from the caller's object.
function variables(params) {
    if (params === undefined || params === null) return { ...DEFAULTS };
    if (typeof params !== 'object') throw new TalluxError(13, 'Type mismatch: the parameters must be an object');
    for (const key of Object.keys(params))
        if (!(key in KINDS)) throw new TalluxError(448, `Named argument not found: '${key}'`);
    const out = {};
    for (const name of Object.keys(KINDS)) {
        const v = params[name];
        out[name] = v === undefined ? DEFAULTS[name] : coerce(name, v);
    }
    return out;
}

// Starts the component on a loaded factory and instantiation, and returns the
// bridge that the classes below use.
function bridge(createCore, instantiate) {
    const calls = makeCalls();
    let memory = null;
    let outcomeAt = 0;
    const moduleArg = {
        talluxCalls: calls,
        instantiateWasm(imports, done) {
            return instantiate(imports, (instance) => {
                memory = instance.exports.memory;
                done(instance);
            });
        },
        print: () => {},
        printErr: () => {},
    };
    const started = createCore(moduleArg);
    return {
        module: moduleArg, calls, started, memory: () => memory,
        get outcome() {
            if (outcomeAt === 0) outcomeAt = moduleArg.outcome();
            return outcomeAt;
        },
    };
}

let core = null; // set by the module's start, below

// Room for the three texts of a call: kept between calls up to this many
// UTF-16 units, made for the call alone beyond.
const KEPT_ROOM = 1 << 16;
let room = 0;
let roomUnits = 0;

function reserve(units) {
    if (units <= roomUnits) return room;
    const kept = units <= KEPT_ROOM;
    if (kept && room) core.module._free(room);
    const pointer = core.module._malloc(2 * units + 16);
    if (kept) {
        room = pointer;
        roomUnits = pointer ? units : 0;
    }
    if (!pointer) throw new TalluxError(7, `Out of memory: no room for ${units} characters`);
    return pointer;
}

function write(units, at, s) {
    for (let i = 0; i < s.length; ++i) units[at + i] = s.charCodeAt(i);
}

function readText(units, at, length) {
    let s = '';
    for (let i = 0; i < length; i += 4096)
        s += String.fromCharCode.apply(null, units.subarray(at + i, at + Math.min(length, i + 4096)));
    return s;
}

// Drawings nested inside a target's members, at most NESTING deep: deeper,
// the WebAssembly stack could overflow and leave the module broken.
const NESTING = 100;
let depth = 0;

// Runs a method: targetKind 0 no object, 1 the JavaScript object, 2 the
// component's own recording target.
function run(method, target, targetKind, v) {
    if (depth >= NESTING)
        throw new TalluxError(28, `Out of stack space: drawings nested ${NESTING} deep in targets' members`);
    const calls = core.calls;
    const m = core.module;
    const saved = { target: calls.target, thrown: calls.thrown };
    const total = v.code.length + v.font.length + v.ratio.length;
    const pointer = reserve(total);
    const temporary = pointer !== room; // else the kept room, which a nested call may replace
    ++depth;
    try {
        const units = new Uint16Array(core.memory().buffer);
        const code = pointer;
        const font = code + 2 * v.code.length;
        const ratio = font + 2 * v.font.length;
        write(units, code >> 1, v.code);
        write(units, font >> 1, v.font);
        write(units, ratio >> 1, v.ratio);
        calls.target = target;
        calls.thrown = undefined;
        m.draw(method, targetKind, v.x, v.y, code, v.code.length, v.width, v.height, v.text,
            v.bold, font, v.font.length, v.foreColor, v.lineColor, ratio, v.ratio.length, v.chk);
        // The memory may have grown during the call.
        const buffer = core.memory().buffer;
        const [raised, number, codeAt, codeLength] = new Int32Array(buffer, core.outcome, 4);
        const written = readText(new Uint16Array(buffer), codeAt >>> 1, codeLength);
        if (raised) {
            throw new TalluxError(number, `${METHODS[method][0]} raised error ${number}: ${m.message()}`,
                { pCode: written, cause: calls.thrown });
        }
        const answer = { result: number, code: written };
        if (number !== 0 && calls.thrown !== undefined) answer.error = calls.thrown;
        if (targetKind === 2) answer.log = m.log();
        return answer;
    } finally {
        --depth;
        calls.target = saved.target;
        calls.thrown = saved.thrown;
        if (temporary) m._free(pointer);
    }
}

function targetKindOf(target) {
    if (target === undefined || target === null) return 0;
    if (typeof target === 'object' || typeof target === 'function') return 1;
    throw new TalluxError(13, 'Type mismatch: the target must be an object');
}

// The control. Each drawing method is called as
// bc.BarEAN13(target, {x, y, code, width, height, text, bold, font,
// foreColor, lineColor, ratio, chk}) and returns {result, code}: result 0 or
// the number of the error that stopped the drawing, code the caller's code
// as the method left it. Errors before the drawing are thrown as TalluxError.
class Tallux {
    #supBarType = 0;

    get SupBarType() {
        return this.#supBarType;
    }

    set SupBarType(value) {
        const n = roundHalfEven(numeric('SupBarType', value));
        if (!(n >= -32768 && n <= 32767)) throw badArgument(6, 'SupBarType', 'does not fit 16 bits');
        this.#supBarType = n;
    }

    ShowAboutBox() {
        throw new TalluxError(429, 'The about box cannot be shown: this build has no dialog toolkit');
    }

    // Any drawing method by its tBarcodeType value.
    draw(type, target, params) {
        if (!Number.isInteger(type) || type < 0 || type >= METHODS.length)
            throw new TalluxError(5, `Invalid procedure call or argument: no method of type ${String(type)}`);
        return run(type, target, targetKindOf(target), variables(params));
    }
}

METHODS.forEach(([name], type) => {
    Object.defineProperty(Tallux.prototype, name, {
        value: { [name](target, params) {
            return run(type, target, targetKindOf(target), variables(params));
        } }[name],
        writable: true,
        configurable: true,
    });
});

// The component's own recording target, inside WebAssembly: the log of
// every call as the C++ library writes it. For checking the bridge.
function traceInside(type, params) {
    return run(type, null, 2, variables(params));
}
