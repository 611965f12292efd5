// The component's entry for JavaScript: one function that runs a drawing
// method on a set of caller variables and answers with what it returned or
// raised and the code as the method left it.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <new>
#include <string>

#include "js_target.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"

namespace {

using namespace tallux;
using emscripten::val;

// Where the drawing goes: nowhere (the caller passed no object), the
// JavaScript object of this call, or the component's own recording target.
enum class TargetKind : int { none = 0, script = 1, recording = 2 };

String text(std::uintptr_t chars, int length)
{
    return String(reinterpret_cast<const char16_t*>(chars), static_cast<std::size_t>(length));
}

val raised(std::int32_t number, const std::string& message)
{
    val out = val::object();
    out.set("raised", number);
    out.set("message", message);
    return out;
}

// The strings arrive as UTF-16 units that the wrapper placed in memory.
val drawFor(int method, int targetKind, float x, float y, std::uintptr_t code, int codeLength,
            int width, int height, int textOn, int bold, std::uintptr_t font, int fontLength,
            int foreColor, int lineColor, std::uintptr_t ratio, int ratioLength, int chk)
{
    try {
        if (method < 0 || method >= static_cast<int>(drawingMethods.size()))
            throw RuntimeError(err::InvalidCall);
        wasm::JsTarget script;
        RecordingTarget recording;
        DrawParams p;
        switch (static_cast<TargetKind>(targetKind)) {
        case TargetKind::script: p.pObject = &script; break;
        case TargetKind::recording: p.pObject = &recording; break;
        default: p.pObject = nullptr;
        }
        p.pX = x;
        p.pY = y;
        p.pCode = text(code, codeLength);
        p.pWidth = width;
        p.pHeight = height;
        p.pText = textOn;
        p.pBold = Boolean(Integer(bold));
        p.pFont = text(font, fontLength);
        p.pForeColor = foreColor;
        p.pLineColor = lineColor;
        p.pRatio = text(ratio, ratioLength);
        p.pChk = Boolean(Integer(chk));

        val out = val::object();
        try {
            out.set("result",
                    drawingMethods[static_cast<std::size_t>(method)].draw(p.args()).value());
        } catch (const RuntimeError& e) {
            out = raised(e.number(), e.what());
        }
        out.set("code", p.pCode);
        if (static_cast<TargetKind>(targetKind) == TargetKind::recording) {
            std::string log;
            for (const std::string& line : recording.log()) log += line + "\n";
            out.set("log", log);
        }
        return out;
    } catch (const RuntimeError& e) {
        return raised(e.number(), e.what());
    } catch (const std::bad_alloc&) {
        return raised(7, "Out of memory");
    } catch (const std::exception& e) {
        return raised(51, std::string("Internal error: ") + e.what());
    }
}

} // namespace

EMSCRIPTEN_BINDINGS(tallux)
{
    emscripten::function("draw", &drawFor);
}
