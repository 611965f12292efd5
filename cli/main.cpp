#include <cstring>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "commands.h"
#include "stop_on_signal.h"
#include "targets/cairo/leak_suppressions.h"
#include "writer.h"
#ifdef TALLUX_HAVE_CAIRO
#include "tallux/surface.h"
#endif

int main(int argc, char** argv)
{
#ifdef TALLUX_HAVE_CAIRO
    // One process per label is the command's common use: its text is kept
    // between processes, so that most runs start without fontconfig.
    tallux::keepShapedTextBetweenProcesses();
#endif
    tallux::cli::removeFilesOnSignal();
    std::vector<std::string_view> words(argv + 1, argv + argc);
    using tallux::cli::Writer;
    Writer out(STDOUT_FILENO, Writer::Buffering::Full);
    Writer err(STDERR_FILENO, Writer::Buffering::None);
    err.tie(out);
    const int status = tallux::cli::run(words, out, err);
    if (out.flush()) return status;
    const int error = out.error();
    err << "tallux: cannot write to standard output: "
        << (error ? std::strerror(error) : "short write") << "\n";
    return tallux::cli::exitOutput;
}
