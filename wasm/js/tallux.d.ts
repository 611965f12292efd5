// Types of the npm package `tallux`.

/** The symbologies, as the type library's enumeration tBarcodeType declares them. */
export declare const tBarcodeType: Readonly<{
    Codabar: 0; Code_11: 1; Code_128: 2; Code_25: 3; Code_39: 4; Code_39F: 5; Code_93: 6;
    EAN_13: 7; EAN_8: 8; ISBN: 9; Code_MSI: 10; PostNet: 11; UPC_A: 12; UPC_A_Plus: 13; UPC_E: 14;
}>;
export type tBarcodeType = (typeof tBarcodeType)[keyof typeof tBarcodeType];

/**
 * A drawing target: any object with these ten members, called late-bound by
 * name. The six properties may be data properties, accessors (set/get
 * pairs), or methods that take the value. A member that is missing gives
 * error 438; what a member throws becomes the method's result (its `number`,
 * else 440).
 */
export interface DrawingTarget {
    FontName: string | ((value: string) => void);
    ForeColor: number | ((value: number) => void);
    FontBold: boolean | ((value: boolean) => void);
    FontSize: number | ((value: number) => void);
    CurrentX: number | ((value: number) => void);
    CurrentY: number | ((value: number) => void);
    /** A filled box (flags 38) with corners (x1, y1) and (x2, y2), both inclusive. */
    Line(flags: number, x1: number, y1: number, x2: number, y2: number, color: number): void;
    /** Draws text at (CurrentX, CurrentY), then moves to the start of the next line. */
    Print(text: string): void;
    TextWidth(text: string): number;
    TextHeight(text: string): number;
}

/** The caller's variables; each left out takes the value shown. */
export interface DrawParameters {
    /** Left edge of the first element (a Single). 0 */
    x?: number;
    /** Top edge of the bars (a Single). 0 */
    y?: number;
    /** The data. '' */
    code?: string | number;
    /** Width of one module, in the target's units; the font size is width \ 2 points. 2 */
    width?: number;
    /** Height of the bars. 60 */
    height?: number;
    /** The human-readable text: any non-zero value for EAN/UPC and Code 128, 1 for the others. 1 */
    text?: number;
    /** Bold text. false */
    bold?: boolean | number;
    /** Font name of the text. 'Arial' */
    font?: string;
    /** Text colour, 0x00BBGGRR, or 0x800000NN for a system colour. 0 */
    foreColor?: number;
    /** Bar colour. 0 */
    lineColor?: number;
    /** Wide and narrow extras, "wide:narrow". '3:1' */
    ratio?: string;
    /** Adds the optional check character. false */
    chk?: boolean | number;
}

/** What a drawing method returns. */
export interface DrawResult {
    /** 0 when the whole symbol was drawn, else the number of the error that stopped it. */
    result: number;
    /** The code as the method left it (written back: normalised, check characters added). */
    code: string;
    /** What the target threw, when the result came from it. */
    error?: unknown;
}

/** A run-time error raised by the component, before or instead of a result. */
export declare class TalluxError extends Error {
    readonly name: 'TalluxError';
    /** The component's error number: 5, 6, 7, 13, 94, 429, 448, ... */
    readonly number: number;
    /** The code as the method had left it, when a drawing method raised. */
    readonly pCode?: string;
}

type DrawMethod = (target: DrawingTarget | null | undefined, params?: DrawParameters) => DrawResult;

/** The control: the fifteen drawing methods, SupBarType and ShowAboutBox. */
export declare class Tallux {
    constructor();
    /** Any value that fits 16 bits is kept; no drawing method reads it. */
    SupBarType: number;
    /** Raises 429: this build has no dialog toolkit. */
    ShowAboutBox(): never;
    /** Any drawing method by its tBarcodeType value. */
    draw(type: tBarcodeType, target: DrawingTarget | null | undefined, params?: DrawParameters): DrawResult;
    BarCODABAR: DrawMethod;
    BarCODE11: DrawMethod;
    BarCODE128: DrawMethod;
    BarCODE25: DrawMethod;
    BarCODE39: DrawMethod;
    BarCODE39F: DrawMethod;
    BarCODE93: DrawMethod;
    BarEAN13: DrawMethod;
    BarEAN8: DrawMethod;
    BarISBN: DrawMethod;
    BarMSI: DrawMethod;
    BarPOSTNET: DrawMethod;
    BarUPCA: DrawMethod;
    BarUPCAPlus: DrawMethod;
    BarUPCE: DrawMethod;
}

export type Units = 'twips' | 'pt' | 'px' | 'mm' | 'in';

/** The rules of the ten members that the ready-made targets share. */
declare class HostTarget implements DrawingTarget {
    FontName: string;
    ForeColor: number;
    FontBold: boolean;
    FontSize: number;
    CurrentX: number;
    CurrentY: number;
    Line(flags: number, x1: number, y1: number, x2: number, y2: number, color: number): void;
    Print(text: string): void;
    TextWidth(text: string): number;
    TextHeight(text: string): number;
}

export interface SvgTargetOptions {
    /** What one scale unit is. 'twips' */
    units?: Units;
    /** Quiet zone on each side, in units. Ten of the narrowest element. */
    margin?: number;
    /** Measures text in units; by default Arial's widths. */
    measure?: (text: string, font: { name: string; bold: boolean; size: number }) => { width: number; height: number };
}

/** An SVG document of the drawing; toString() gives it, laid out around what was drawn. */
export declare class SvgTarget extends HostTarget {
    constructor(options?: SvgTargetOptions);
    /** Starts a new, empty page. */
    clear(): void;
    toString(): string;
}

/** Anything with the 2D context's drawing calls that CanvasTarget uses. */
export interface Canvas2D {
    font: string;
    fillStyle: unknown;
    textBaseline: string;
    fillRect(x: number, y: number, w: number, h: number): void;
    fillText(text: string, x: number, y: number): void;
    measureText(text: string): { width: number; fontBoundingBoxAscent?: number; fontBoundingBoxDescent?: number };
}

/** A 2D canvas context as the target, in its own units ('px' unless said otherwise). */
export declare class CanvasTarget extends HostTarget {
    constructor(ctx: Canvas2D, options?: { units?: Units });
}

export type RecordedCall =
    | { call: 'FontName' | 'ForeColor' | 'FontBold' | 'FontSize' | 'CurrentX' | 'CurrentY'; value: string | number | boolean; failed?: true }
    | { call: 'Line'; flags: number; x1: number; y1: number; x2: number; y2: number; color: number; failed?: true }
    | { call: 'Print'; text: string; failed?: true }
    | { call: 'TextWidth' | 'TextHeight'; text: string; value: number; failed?: true };

/** Records every call in order; TextWidth is charWidth a character, TextHeight charHeight. */
export declare class RecordingTarget implements DrawingTarget {
    constructor(options?: { charWidth?: number; charHeight?: number });
    calls: RecordedCall[];
    charWidth: number;
    charHeight: number;
    /** The member raises 438 (as if the object lacked it). */
    lack(member: string): void;
    /** The nth call of the member throws an error with that number. */
    failOn(member: string, nth: number, number: number): void;
    clear(): void;
    FontName: string;
    ForeColor: number;
    FontBold: boolean;
    FontSize: number;
    CurrentX: number;
    CurrentY: number;
    Line(flags: number, x1: number, y1: number, x2: number, y2: number, color: number): void;
    Print(text: string): void;
    TextWidth(text: string): number;
    TextHeight(text: string): number;
}
