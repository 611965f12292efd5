// The component's entry for JavaScript: one function that runs a drawing
// method on a set of caller variables and answers with what it returned or
// raised and the code as the method left it.
#include <emscripten/bind.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "js_target.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"

namespace {

using namespace tallux;

// Where the drawing goes: nowhere (the caller passed no object), the
// JavaScript object of this call, or the component's own recording target.
enum class TargetKind : int { none = 0, script = 1, recording = 2 };

String text(std::uintptr_t chars, int length)
{
    return String(reinterpret_cast<const char16_t*>(chars), static_cast<std::size_t>(length));
}

// What the last drawing call left, read by the wrapper from memory: whether
// the method raised, its result or error number, and the code as the method
// left it. Written when a call ends, so a drawing made from inside a target's
// member leaves the outer call's answer intact.
struct Outcome {
    std::int32_t raised = 0;
    std::int32_t number = 0;
    std::uint32_t code = 0; // address of the UTF-16 units
    std::int32_t codeLength = 0;
};
Outcome outcome;
String lastCode;
std::string lastMessage;
std::string lastLog;

void answer(bool raised, std::int32_t number, String code, std::string message = {})
{
    lastCode = std::move(code);
    lastMessage = std::move(message);
    outcome = {raised ? 1 : 0, number,
               static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(lastCode.data())),
               static_cast<std::int32_t>(lastCode.size())};
}

// The strings arrive as UTF-16 units that the wrapper placed in memory.
void drawFor(int method, int targetKind, float x, float y, std::uintptr_t code, int codeLength,
             int width, int height, int textOn, int bold, std::uintptr_t font, int fontLength,
             int foreColor, int lineColor, std::uintptr_t ratio, int ratioLength, int chk)
{
    String left = text(code, codeLength); // the code as the caller gave it, until the method has it
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
        p.pCode = left;
        p.pWidth = width;
        p.pHeight = height;
        p.pText = textOn;
        p.pBold = Boolean(Integer(bold));
        p.pFont = text(font, fontLength);
        p.pForeColor = foreColor;
        p.pLineColor = lineColor;
        p.pRatio = text(ratio, ratioLength);
        p.pChk = Boolean(Integer(chk));

        try {
            const Integer result = drawingMethods[static_cast<std::size_t>(method)].draw(p.args());
            answer(false, result.value(), std::move(p.pCode));
        } catch (const RuntimeError& e) {
            answer(true, e.number(), std::move(p.pCode), e.what());
        }
        if (static_cast<TargetKind>(targetKind) == TargetKind::recording) {
            lastLog.clear();
            for (const std::string& line : recording.log()) lastLog += line + "\n";
        }
    } catch (const RuntimeError& e) {
        answer(true, e.number(), std::move(left), e.what());
    } catch (const std::bad_alloc&) {
        answer(true, 7, std::move(left), "Out of memory");
    } catch (const std::exception& e) {
        answer(true, 51, std::move(left), std::string("Internal error: ") + e.what());
    }
}

std::uintptr_t outcomeAddress()
{
    return reinterpret_cast<std::uintptr_t>(&outcome);
}

std::string message()
{
    return lastMessage;
}

std::string log()
{
    return lastLog;
}

} // namespace

EMSCRIPTEN_BINDINGS(tallux)
{
    emscripten::function("draw", &drawFor);
    emscripten::function("outcome", &outcomeAddress);
    emscripten::function("message", &message);
    emscripten::function("log", &log);
}
