#include "commands.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <unistd.h>

#include "batch.h"
#include "files/replace_file.h"
#include "method_words.h"
#include "options.h"
#include "output.h"
#include "output_file.h"
#include "result_causes.h"
#include "server_commands.h"
#include "standard_forms.h"
#include "tallux/tallux.h"
#ifdef TALLUX_HAVE_CAIRO
#include "tallux/page.h"
#endif
#include "tallux/types.h"
#include "tallux/version.h"
#include "trace.h"
#include "warnings.h"
#include "write_cause.h"
#include "writer.h"
#ifdef TALLUX_CLI_PRINTER
#include "printer_output.h"
#endif

namespace tallux::cli {

namespace {

// The exit statuses, as every help text ends.
constexpr const char* exitStatusHelp =
    "Exit status: 0 drawn; 1 the method returned an error number, or its text\n"
    "cannot be drawn (the text module is missing); 2 it raised a run-time error;\n"
    "64 usage error; 65 a warning with --strict (nothing written); 69 the library\n"
    "cannot be loaded; 74 the output or the registry could not be written; 130 a\n"
    "batch stopped by a signal (its files so far are kept).\n";

void printHelp(Writer& out)
{
    out << "Usage: tallux COMMAND [options]\n"
           "\n"
           "Draws linear barcodes with the Tallux drawing component.\n"
           "\n"
           "Commands:\n"
           "  draw METHOD [options]   draw one symbol (METHOD as listed by 'tallux list')\n"
           "  batch [FILE] [options]  draw a symbol for each line of FILE or standard input\n"
           "  list                    list the fifteen drawing methods\n"
           "  typelib                 print the type library as IDL\n"
           "  register [LIBRARY]      enter the control in the per-user registry\n"
           "  unregister [LIBRARY]    remove the control from the per-user registry\n"
           "  --help, -h              show this help\n"
           "  --version               show the version\n"
           "\n"
           "'tallux draw --help' and 'tallux batch --help' show their options.\n"
           "\n"
           "register and unregister load LIBRARY (default: the libtallux-automation.so.1\n"
           "installed beside this program) and call its entry points. The registry is the file\n"
           "$TALLUX_REGISTRY, else $XDG_DATA_HOME/tallux/registry, else\n"
           "~/.local/share/tallux/registry (XDG_DATA_HOME and HOME only as absolute paths).\n"
           "\n"
        << exitStatusHelp;
}

void printDrawHelp(Writer& out)
{
    out << "Usage: tallux draw METHOD [options]\n"
           "\n"
           "Draws one symbol with METHOD (as 'tallux list' names it).\n"
           "\n"
           "Options (each has a default; --name=value works too):\n"
        << drawOptionsHelp()
        << "\n"
           "The trace target writes one JSON object per call the target receives, then\n"
           "a summary line {\"result\":N,\"code\":...} or {\"raised\":N,\"code\":...} that\n"
           "also goes to standard output for every other target.\n"
           "\n"
           "The png, svg, pdf, ps and eps targets draw on a white page sized to the\n"
           "symbol and its text plus a quiet zone of ten modules a side, in scale units\n"
           "(--units) of twips by default. Left out, --width, --height, --x and --y have\n"
           "the same physical size in any units (1/96-inch modules, 5/8-inch bars); the\n"
           "PNG resolution is about 300 dpi, chosen so that the narrow element is whole\n"
           "pixels (288 dpi for 15-twip modules), and is recorded in the file. Without\n"
           "--ratio the wide elements are 2.5 times the narrow ones (on a PNG, as near\n"
           "2.5 as whole pixels allow, so that every wide bar is alike). The target follows\n"
           "the output's extension when --target is left out (another extension needs\n"
           "--target; a name without one gets the trace); a PNG or PDF is not written to\n"
           "a terminal. A file is written only when the method returned 0; otherwise\n"
           "nothing is written and an old file stays.\n"
           "Warnings go to standard error: a length that whole units change by more than\n"
           "5 %, a ratio below 2:1, an element below one pixel, a page smaller than the\n"
           "symbol, --dpi on a file without pixels, a --font that is not installed, and\n"
           "whatever a reader would get otherwise than given: a check digit replaced,\n"
           "characters left out or drawn as \"0\" or \"?\", fill digits, a code cut,\n"
           "Code 128 characters that become function characters or set C pairs that are\n"
           "not digits, '*' in Code 39 or A to D inside Codabar data, empty data, Code 128\n"
           "or Code 93 without its check characters, bars too light or too short, text\n"
           "below 4 pt. A warning names the character and its position where one is the\n"
           "cause; so does the message of a method's error.\n"
           "\n"
           "For the image targets the data's standard forms reach the method as it takes\n"
           "them, each with a note on standard error: an ISBN-13 (978, hyphens allowed)\n"
           "or a hyphenated ISBN-10 as the nine-digit ISBN body, an 8-digit UPC-E of\n"
           "number system 0 as its six digits, a ZIP+4 (or ZIP+4+2) with hyphens or\n"
           "blanks as its digits, an odd number of Interleaved 2 of 5 digits with a\n"
           "leading zero; and a Code 128 code that does not begin with A, B or C gets the\n"
           "one set that encodes it (--set auto). --raw, and the trace always, pass the\n"
           "data to the method exactly as given.\n"
           "\n"
        << exitStatusHelp;
}

void printBatchHelp(Writer& out)
{
    out << "Usage: tallux batch [FILE|-] [options]\n"
           "\n"
           "Reads lines 'METHOD,code[,option=value...]' (CSV: a field, the method too, may\n"
           "be quoted, \"\" for a quote; semicolons may separate the fields instead) or\n"
           "'METHOD code' (the rest of the line is the code), from FILE or standard input,\n"
           "in UTF-8, or UTF-16 with its byte order mark; blank lines and lines starting\n"
           "with # are skipped. Options on a line are those of draw without the dashes\n"
           "(ean13,400638133393,width=20).\n"
           "\n"
           "Options:\n"
        << batchOptionsHelp()
        << "  Any option of draw (--width, --text, --units, ...) applies to every line.\n"
           "\n"
           "Lines are drawn on every core and their outputs kept in line order: the same\n"
           "input gives the same files whatever --jobs says. Each file is written whole\n"
           "and only then given its name; a bad line writes nothing. A name template\n"
           "whose {n} does not lead is checked for names that repeat. A bad line stops\n"
           "the run at that line (the files of the lines before stay),\n"
           "unless --keep-going; a sheet is written only when the run was not stopped.\n"
           "A progress bar shows on a terminal; a summary ends the run on standard error.\n"
           "SIGINT (Ctrl-C), SIGTERM or SIGHUP stops the reading; the lines read are\n"
           "finished, no sheet is written; a second signal ends the run at once.\n"
           "\n"
           "Folders in NAME are made as needed. Notes and warnings name their line; one\n"
           "said word for word on later lines (a cause on the command line) is said\n"
           "once and counted at the end. With --strict a line with a warning is a bad\n"
           "line and the run exits 65.\n"
           "\n"
           "Exit status: 0 every line drawn; 1 some line failed; 64 usage error; 65 a\n"
           "warning with --strict; 74 an output could not be written or the input could\n"
           "not be read; 130 stopped by a signal.\n";
}

void printList(Writer& out)
{
    for (const MethodInfo& m : drawingMethods) {
        std::string name(m.name);
        name.resize(13, ' ');
        std::string alias(m.alias);
        alias.resize(10, ' ');
        std::string member(m.member);
        member.resize(11, ' ');
        out << name << alias << member << std::to_string(m.type) << (m.type < 10 ? "   " : "  ")
            << m.title << "  (e.g. " << toUtf8(m.sample) << ")\n";
    }
}

class TraceOutput : public Output {
public:
    explicit TraceOutput(const DrawRequest& r)
    {
        recorder_.charWidth = r.charWidth;
        recorder_.charHeight = r.charHeight;
    }
    Target& target() override { return recorder_; }
    std::string bytes() override
    {
        std::string text;
        for (const Call& call : recorder_.calls) text += traceLine(call) + "\n";
        return text;
    }

private:
    RecordingTarget recorder_;
};

#ifdef TALLUX_CLI_PRINTER
// A page on a printer: sent when the symbol was drawn, abandoned otherwise.
class PrinterOutput : public Output {
public:
    explicit PrinterOutput(const DrawRequest& r)
        : job_(startPrinterJob(r.printer, "tallux " + std::string(r.method.name),
                               {r.page.scale.units, r.page.scale.dpi, r.page.width, r.page.height}))
    {
    }
    Target& target() override { return job_->target(); }
    std::string bytes() override { return {}; }
    void finish(bool drawn) override
    {
        if (drawn) job_->send();
    }

private:
    std::unique_ptr<PrinterJob> job_;
};
#endif

} // namespace

std::unique_ptr<Output> makeOutput(const DrawRequest& r)
{
    switch (r.target) {
    case TargetKind::Trace: return std::make_unique<TraceOutput>(r);
    case TargetKind::Printer:
#ifdef TALLUX_CLI_PRINTER
        return std::make_unique<PrinterOutput>(r);
#else
        throw UsageError("this build has no printer target (it was built without Qt or CUPS)");
#endif
#ifdef TALLUX_HAVE_CAIRO
    default: return makeImageOutput(r);
#else
    default: throw UsageError("this build has no image targets; use --target trace");
#endif
    }
}

namespace {

// Whether the drawing would go to a terminal as bytes it cannot show.
bool binaryToTerminal(const DrawRequest& request, const Writer& out)
{
    const bool binary = request.target == TargetKind::Png || request.target == TargetKind::Pdf;
    return binary && request.output == "-" && out.terminal();
}

int draw(std::span<const std::string_view> words, Writer& out, Writer& err)
{
    DrawRequest request = parseDraw(words);
    checkPageOptions(request);
    // Standard output by any of its names is standard output, written as
    // it is (appending where it appends), never a file to replace.
    if (files::namedDescriptor(request.output) == STDOUT_FILENO) request.output = "-";
    if (binaryToTerminal(request, out))
        throw UsageError("a " + std::string(request.target == TargetKind::Png ? "PNG" : "PDF") +
                         " file is not written to a terminal; give -o FILE or redirect the output");
    if (request.codeSet && request.method.type != Code_128)
        throw UsageError("--set is for code128 only");
    prepareData(request, request.target != TargetKind::Trace);
    for (const std::string& n : request.notes) err << "tallux: note: " << n << "\n";
    const std::vector<std::string> warnings = drawingWarnings(request);
    for (const std::string& w : warnings) err << "tallux: warning: " << w << "\n";
    if (request.strict && !warnings.empty()) {
        err << "tallux: nothing drawn: --strict and " << warnings.size()
            << (warnings.size() == 1 ? " warning\n" : " warnings\n");
        return exitWarned;
    }
    const std::unique_ptr<Output> output = makeOutput(request);
    request.params.pObject = &output->target();

    const DrawRequest given = request; // the code as passed, for naming a character
    Tallux control;
    std::optional<Integer> result;
    std::optional<std::int32_t> raised;
    try {
        result = control.draw(request.method.type, request.params);
    } catch (const RuntimeError& e) {
        raised = e.number();
        err << "tallux: " << request.method.name << " raised error " << e.number() << ": "
            << e.what();
        if (const auto cause = raisedCause(given, e.number())) err << " (" << *cause << ")";
        err << "\n";
    }
    if (result && *result != 0) {
        err << "tallux: " << request.method.name << " returned " << result->value() << " ("
            << standardMessage(result->value()) << ")";
        if (const auto cause = resultCause(given, result->value())) err << ": " << *cause;
        err << "\n";
    }

    const bool drawn = result && *result == 0;
    output->finish(drawn);
    if (request.output == "-") {
        // Standard output shows the trace whatever happened; images only when drawn.
        if (drawn || request.target == TargetKind::Trace) out << output->bytes();
    } else if (drawn) {
        try {
            writeFileAtomically(request.output, output->bytes());
        } catch (const OutputError& e) {
            throw OutputError(withFolderCause(request.output, e.what()));
        }
    } else {
        err << "tallux: nothing written to '" << request.output << "'\n";
    }
    // An image on standard output stands alone there; its summary goes aside.
    Writer& summary = request.output == "-" && request.target != TargetKind::Trace ? err : out;
    summary << summaryLine(result, raised, request.params.pCode) << "\n";
    return raised ? exitRaised : drawn ? exitDrawn : exitResult;
}

} // namespace

int run(std::span<const std::string_view> words, Writer& out, Writer& err)
{
    try {
        if (words.empty()) throw UsageError("a command is needed (try 'tallux --help')");
        const std::string_view command = words[0];
        if (command == "--help" || command == "-h" || command == "help") {
            printHelp(out);
            return exitDrawn;
        }
        if (command == "--version") {
            out << "tallux " << version::text << "\n";
            return exitDrawn;
        }
        if (command == "list") {
            if (words.size() > 1) throw UsageError("list takes no arguments");
            printList(out);
            return exitDrawn;
        }
        if (command == "typelib") return typelibCommand(words.subspan(1), out);
        if (command == "register" || command == "unregister")
            return registerCommand(command == "register", words.subspan(1), out, err);
        // Help as the first word or the second (after METHOD or FILE).
        const auto rest = words.subspan(1);
        const auto help = [](std::string_view w) { return w == "--help" || w == "-h"; };
        const bool helpAsked =
            std::ranges::any_of(rest.subspan(0, std::min<std::size_t>(2, rest.size())), help);
        if (command == "batch") {
            if (helpAsked) printBatchHelp(out);
            return helpAsked ? exitDrawn : batchCommand(rest, err);
        }
        if (command == "draw") {
            if (helpAsked) printDrawHelp(out);
            return helpAsked ? exitDrawn : draw(rest, out, err);
        }
        throw UsageError("unknown command " + quoted(command) + " (try 'tallux --help')");
    } catch (const UsageError& e) {
        err << "tallux: " << e.what() << "\n";
        return exitUsage;
    } catch (const OutputError& e) {
        err << "tallux: " << e.what() << "\n";
        return exitOutput;
#ifdef TALLUX_HAVE_CAIRO
    } catch (const TextError& e) {
        err << "tallux: " << e.what() << "; nothing written\n";
        return exitResult;
#endif
    }
}

} // namespace tallux::cli
