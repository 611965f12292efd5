#include "batch.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <unordered_set>

#include "batch_input.h"
#include "batch_line.h"
#include "batch_name.h"
#include "batch_pool.h"
#include "batch_report.h"
#include "commands.h"
#include "method_words.h"
#include "output.h"
#include "output_file.h"
#include "result_causes.h"
#include "standard_forms.h"
#include "stop_on_signal.h"
#include "tallux/recording_target.h"
#include "tallux/tallux.h"
#include "tallux/types.h"
#include "warnings.h"
#include "write_cause.h"
#include "writer.h"
#ifdef TALLUX_HAVE_CAIRO
#include "pages/pdf_sheet.h"
#endif

namespace tallux::cli {

namespace {

constexpr std::size_t longestLine = 64 * 1024;

// One symbol line for a worker.
struct Job {
    std::size_t line = 0;
    std::string text;
    bool tooLong = false;
};

// What a worker made of a line, handed back in line order.
struct Outcome {
    std::size_t line = 0;
    bool skipped = false;        // the run stopped before this line
    std::string error;           // why the line was not drawn
    bool outputFailed = false;   // a file could not be written: the run stops
    bool warnedStrictly = false; // --strict and a warning: nothing written
    std::vector<std::string> notes, warnings;
    std::string method;
    std::optional<PlacedFile> placed; // in place already, taken back on a stop
    std::optional<PendingFile> file;  // written, not yet in place
#ifdef TALLUX_HAVE_CAIRO
    DisplayList drawing; // the symbol as the sheet draws it
#endif
};

using Chunk = std::vector<Job>;
using Outcomes = std::vector<Outcome>;
// The lines of a chunk: the first chunks are small, so that every worker
// starts at once and a short run is shared out; later ones larger, so that
// handing them over costs little beside drawing their symbols.
constexpr std::size_t chunkLines(std::size_t chunksBefore, unsigned workers)
{
    return chunksBefore < 4 * static_cast<std::size_t>(workers) ? 16 : 64;
}

// The folder of a chunk's files, made as needed (by any worker: one that is
// there already is fine) and held open while the chunk's lines, which mostly
// share it, are named in it.
class ChunkFolder {
public:
    ChunkFolder() = default;
    ~ChunkFolder() { close(); }
    ChunkFolder(const ChunkFolder&) = delete;
    ChunkFolder& operator=(const ChunkFolder&) = delete;

    // A descriptor of the folder that holds `path`, made first where it is
    // missing; -1 for a name in the current folder, or a folder that cannot
    // be opened (writing the file then says why).
    int open(const std::string& path)
    {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos) return -1;
        const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        if (folder == folder_) return fd_;
        close();
        folder_ = folder;
        fd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) {
            std::error_code error;
            std::filesystem::create_directories(folder, error);
            if (error && !std::filesystem::is_directory(folder))
                throw OutputError("cannot make the folder " + cli::quoted(folder) + ": " +
                                  error.message());
            fd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        return fd_;
    }

private:
    void close() noexcept
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        folder_.clear();
    }

    std::string folder_;
    int fd_ = -1;
};

// A file that only its own line's name keeps from being written (the name
// is a folder's, or too long): a bad line. Any other failure stops the run.
constexpr bool ownNameFault(int error)
{
    return error == EISDIR || error == ENAMETOOLONG;
}

// Runs the line's method on the target: an empty text when the symbol was
// drawn, else what went wrong.
std::string drawOn(DrawRequest& r, Target& target)
{
    r.params.pObject = &target;
    const std::string name(r.method.name);
    const DrawRequest given = r; // the code as passed, for naming a character
    try {
        const Integer result = Tallux().draw(r.method.type, r.params);
        if (result != 0) {
            const auto cause = resultCause(given, result.value());
            return name + " returned " + std::to_string(result.value()) + " (" +
                   std::string(standardMessage(result.value())) + ")" +
                   (cause ? ": " + *cause : std::string());
        }
    } catch (const RuntimeError& e) {
        const auto cause = raisedCause(given, e.number());
        return name + " raised error " + std::to_string(e.number()) + ": " + e.what() +
               (cause ? " (" + *cause + ")" : std::string());
    }
    return {};
}

#ifdef TALLUX_HAVE_CAIRO
// The sheet's file, written through a buffer as cairo hands over the pages.
class SheetFile {
public:
    explicit SheetFile(const BatchRequest& r)
        : file_(*r.sheet)
        , sheet_(makeSheet(r))
    {
    }

    void place(const Outcome& o)
    {
        try {
            sheet_.place(fromUtf8(o.method), o.drawing);
        } catch (const PageError& e) {
            throw OutputError(failure_.empty() ? e.what() : failure_);
        }
    }
    std::uint64_t pages() const noexcept { return sheet_.pages(); }
    void commit()
    {
        try {
            sheet_.finish();
        } catch (const PageError& e) {
            throw OutputError(failure_.empty() ? e.what() : failure_);
        }
        file_.write(buffer_);
        file_.commit();
    }

private:
    PdfSheet makeSheet(const BatchRequest& r)
    {
        SheetLayout l;
        l.pageWidth = r.pageWidth, l.pageHeight = r.pageHeight;
        l.columns = r.columns, l.rows = r.rows;
        try {
            return PdfSheet(
                [this](const unsigned char* data, std::size_t size) { return keep(data, size); },
                l);
        } catch (const PageError& e) {
            throw UsageError(e.what()); // a grid that leaves no room
        }
    }
    bool keep(const unsigned char* data, std::size_t size)
    {
        buffer_.append(reinterpret_cast<const char*>(data), size);
        if (buffer_.size() < 64 * 1024) return true;
        try {
            file_.write(buffer_);
            buffer_.clear();
            return true;
        } catch (const OutputError& e) {
            failure_ = e.what();
            return false;
        }
    }

    PendingFile file_;
    std::string buffer_, failure_;
    PdfSheet sheet_;
};
#else
class SheetFile {
public:
    explicit SheetFile(const BatchRequest&)
    {
        throw UsageError("this build has no PDF sheet (it was built without cairo)");
    }
    void place(const Outcome&) {}
    std::uint64_t pages() const noexcept { return 0; }
    void commit() {}
};
#endif

class Batch {
public:
    Batch(const BatchRequest& request, Writer& err, bool terminal)
        : request_(request)
        , err_(err)
        , progress_(err, terminal)
    {
        if (request.output) names_.emplace(*request.output);
        if (request.sheet) sheet_ = std::make_unique<SheetFile>(request);
    }

    int run(int input)
    {
        const auto start = std::chrono::steady_clock::now();
        LineReader reader(input, longestLine);
        {
            std::optional<StopOnSignal::Shield> shield(std::in_place);
            OrderedPool<Chunk, Outcomes> pool(request_.jobs, 8 * request_.jobs + 8,
                                              [this](Chunk& chunk) { return work(chunk); });
            shield.reset();
            Chunk chunk;
            std::size_t chunks = 0;
            const auto submit = [&] {
                while (pool.full()) take(pool.next());
                pool.submit(std::move(chunk));
                ++chunks;
                chunk = {};
                while (auto o = pool.tryNext()) take(std::move(*o));
            };
            std::string text;
            try {
                while (!stopped_ && StopOnSignal::received() == 0 && reader.next(text)) {
                    if (!reader.tooLong() && !isSymbolLine(text)) continue;
                    chunk.push_back({reader.lineNumber(), std::move(text), reader.tooLong()});
                    text = {};
                    if (chunk.size() < chunkLines(chunks, request_.jobs)) continue;
                    submit();
                    tally_.linesRead = reader.lineNumber();
                    tally_.seconds = secondsSince(start);
                    progress_.update(tally_, shareDone(reader));
                }
            } catch (const std::system_error& e) {
                readFailed(e.what());
            }
            // Stopped by a signal: the lines read so far are finished.
            if (!chunk.empty() && !stopped_) submit();
            while (pool.inFlight() > 0) take(pool.next());
        }
        if (const int signal = StopOnSignal::received(); signal != 0 && !readFailed_) {
            interrupted_ = true;
            report(std::string("interrupted by ") + signalName(signal) + " after line " +
                   std::to_string(reader.lineNumber()) + "; the lines read were finished");
            if (status_ == exitDrawn || status_ == exitResult) status_ = exitInterrupted;
        }
        progress_.clear();
        for (const std::string& repeat : said_.repeats()) report(repeat);
        tally_.linesRead = stopped_ ? stopLine_ : reader.lineNumber();
        finishSheet();
        tally_.seconds = secondsSince(start);
        err_ << "tallux: " << summaryText(tally_) << "\n";
        if (status_ != exitDrawn && status_ != exitResult) return status_;
        if (warned_) return exitWarned;
        return tally_.failed > 0 ? exitResult : exitDrawn;
    }

private:
    static double secondsSince(std::chrono::steady_clock::time_point start)
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    static std::optional<double> shareDone(const LineReader& reader)
    {
        const auto size = reader.size();
        if (!size || *size == 0) return std::nullopt;
        return static_cast<double>(reader.bytesRead()) / static_cast<double>(*size);
    }

    void report(const std::string& message)
    {
        progress_.clear();
        err_ << "tallux: " << message << "\n";
    }

    // The lines read so far are finished; a sheet is not written.
    void readFailed(const std::string& message)
    {
        report(message);
        readFailed_ = true;
        if (status_ == exitDrawn) status_ = exitOutput;
    }

    void stop(int status)
    {
        stopped_ = true;
        stopping_ = true;
        if (status_ == exitDrawn) status_ = status;
    }

    Outcomes work(Chunk& chunk)
    {
        Outcomes outcomes;
        outcomes.reserve(chunk.size());
        ChunkFolder folder;
        for (Job& job : chunk) outcomes.push_back(work(job, folder));
        return outcomes;
    }

    // On a worker: everything that can run apart from the other lines.
    Outcome work(Job& job, ChunkFolder& folder)
    {
        Outcome o;
        o.line = job.line;
        if (stopping_) {
            o.skipped = true;
            return o;
        }
        try {
            if (job.tooLong)
                throw LineError("the line is longer than " + std::to_string(longestLine) +
                                " bytes");
            const std::optional<BatchLine> line = parseBatchLine(job.text);
            DrawRequest r = lineRequest(*line, request_.drawOptions, request_.lineTarget());
            o.method = r.method.name;
            if (!request_.dryRun) checkPageOptions(r, request_.sheet.has_value());
            // A dry run checks the data as the image targets take it.
            prepareData(r, r.target != TargetKind::Trace || request_.dryRun);
            o.notes = std::move(r.notes);
            o.warnings = drawingWarnings(r);
            if (request_.strict && !o.warnings.empty()) {
                o.error = "nothing drawn: --strict and a warning";
                o.warnedStrictly = true;
            } else if (request_.sheet) {
                drawForSheet(r, o);
            } else if (request_.dryRun) {
                RecordingTarget recorder;
                recorder.charWidth = r.charWidth;
                recorder.charHeight = r.charHeight;
                o.error = drawOn(r, recorder);
            } else {
                drawToFile(r, names_->expand(job.line, r.method.alias, line->code),
                           names_->uniqueByLine(), folder, o);
            }
        } catch (const std::exception& e) {
            // A line that cannot be read, a page that cannot be made.
            o.error = e.what();
        }
        return o;
    }

    void drawForSheet([[maybe_unused]] DrawRequest& r, [[maybe_unused]] Outcome& o)
    {
#ifdef TALLUX_HAVE_CAIRO
        if (r.page.scale.units != request_.page.scale.units)
            throw LineError("the units cannot change within a sheet");
        PageTarget drawing(FileFormat::Pdf, request_.page.scale);
        o.error = drawOn(r, drawing);
        o.drawing = drawing.take();
#endif
    }

    // A new file whose name no other line can take goes in place at once, and
    // a stop before its line takes it back. Any other file waits for its turn,
    // so that a good file already there is replaced only in line order.
    static void drawToFile(DrawRequest& r, const std::string& path, bool uniqueName,
                           ChunkFolder& folder, Outcome& o)
    {
        const std::unique_ptr<Output> output = makeOutput(r);
        o.error = drawOn(r, output->target());
        output->finish(o.error.empty());
        if (!o.error.empty()) return;
        const std::string bytes = output->bytes();
        try {
            const int folderFd = folder.open(path);
            if (uniqueName && (o.placed = placeNewFile(path, bytes, folderFd))) return;
            PendingFile file(path);
            file.write(bytes);
            file.close(false);
            o.file = std::move(file);
        } catch (const OutputError& e) {
            o.error = withFolderCause(path, e.what());
            o.outputFailed = !ownNameFault(e.error);
        }
    }

    void take(Outcomes outcomes)
    {
        for (Outcome& o : outcomes) take(std::move(o));
    }

    // In line order: puts the line's file in place or its symbol on the sheet.
    void take(Outcome o)
    {
        if (stopped_ || o.skipped) return; // a pending file is removed with it
        stopLine_ = o.line;
        // A line that fails for its warnings says them all, said before or not.
        const auto say = [&](const char* kind, const std::vector<std::string>& texts) {
            for (const std::string& text : texts)
                if (const std::string m = kind + text; o.warnedStrictly || said_.first(o.line, m))
                    report("line " + std::to_string(o.line) + ": " + m);
        };
        say("note: ", o.notes);
        say("warning: ", o.warnings);
        if (o.warnedStrictly) warned_ = true;
        if (o.error.empty()) {
            try {
                keep(o);
                ++tally_.drawn;
                return;
            } catch (const OutputError& e) {
                o.error = e.what();
                o.outputFailed = !ownNameFault(e.error);
            } catch (const LineError& e) {
                o.error = e.what();
            }
        }
        ++tally_.failed;
        report("line " + std::to_string(o.line) + ": " + o.error);
        if (o.outputFailed) {
            stop(exitOutput);
        } else if (!request_.keepGoing) {
            report("stopped at line " + std::to_string(o.line) +
                   " (--keep-going reports bad lines and goes on)");
            stop(exitResult);
        }
    }

    void keep(Outcome& o)
    {
        if (sheet_) {
            sheet_->place(o);
        } else if (o.placed) {
            o.placed->keep();
            ++tally_.files;
        } else if (o.file) {
            if (!names_->uniqueByLine() && !written_.insert(o.file->path()).second)
                throw LineError("'" + o.file->path() + "' was already written by an earlier line");
            o.file->commit();
            ++tally_.files;
        }
    }

    void finishSheet()
    {
        if (!sheet_) return;
        const std::string name = cli::quoted(*request_.sheet);
        if (stopped_ || readFailed_ || interrupted_) {
            report("nothing written to " + name);
        } else if (tally_.drawn == 0) {
            report("nothing written to " + name + ": no symbol was drawn");
        } else {
            try {
                sheet_->commit();
                tally_.files = 1;
                tally_.pages = sheet_->pages();
            } catch (const OutputError& e) {
                report(withFolderCause(*request_.sheet, e.what()));
                stop(exitOutput);
            }
        }
        sheet_.reset(); // an uncommitted sheet leaves no file behind
    }

    const BatchRequest& request_;
    Writer& err_;
    ProgressBar progress_;
    std::optional<NameTemplate> names_;
    std::unique_ptr<SheetFile> sheet_;
    std::unordered_set<std::string> written_; // only when names could repeat
    Tally tally_;
    SaidOnce said_;
    bool stopped_ = false;
    bool readFailed_ = false;
    bool interrupted_ = false;
    bool warned_ = false;                // a line failed for its warnings (--strict)
    std::atomic<bool> stopping_ = false; // read by the workers
    std::size_t stopLine_ = 0;
    int status_ = exitDrawn;
};

} // namespace

int runBatch(const BatchRequest& request, int input, Writer& err, bool terminal)
{
    try {
        Batch batch(request, err, terminal);
        return batch.run(input);
    } catch (const OutputError& e) {
        // The sheet's file is begun before the first line.
        err << "tallux: " << (request.sheet ? withFolderCause(*request.sheet, e.what()) : e.what())
            << "\n";
        return exitOutput;
    }
}

int batchCommand(std::span<const std::string_view> words, Writer& err)
{
    const BatchRequest request = parseBatch(words);
#ifndef TALLUX_HAVE_CAIRO
    if (request.sheet || (request.target && *request.target != TargetKind::Trace))
        throw UsageError("this build has no image targets; use --target trace or --dry-run");
#endif
    int fd = STDIN_FILENO;
    if (request.input != "-") {
        fd = ::open(request.input.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int e = fd < 0 ? errno : EISDIR;
            if (fd >= 0) ::close(fd);
            throw OutputError("cannot read " + cli::quoted(request.input) + ": " +
                              std::strerror(e));
        }
    }
    const bool terminal = err.terminal();
    const StopOnSignal stopOnSignal;
    const int status = runBatch(request, fd, err, terminal);
    if (fd != STDIN_FILENO) ::close(fd);
    return status;
}

} // namespace tallux::cli
