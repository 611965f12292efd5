#include "targets/pdf/pdf_writer.h"

#include <cstdio>

#include <zlib.h>

#include "tallux/page.h"

namespace tallux {

namespace {

constexpr std::size_t flushAt = 64 * 1024;

// One deflate state a thread, reset for each stream: setting one up costs
// more than deflating a label's page. The fastest level: labels repeat so
// much that it still shrinks them several times.
z_stream* deflater()
{
    struct State {
        z_stream z{};
        bool ready = deflateInit(&z, Z_BEST_SPEED) == Z_OK;
        State() = default;
        ~State()
        {
            if (ready) deflateEnd(&z);
        }
        State(const State&) = delete;
        State& operator=(const State&) = delete;
    };
    thread_local State state;
    return state.ready && deflateReset(&state.z) == Z_OK ? &state.z : nullptr;
}

} // namespace

PdfWriter::PdfWriter(Sink sink)
    : sink_(std::move(sink))
{
    // A comment of bytes above 127 marks the file as binary for transfers.
    write("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
}

void PdfWriter::begin(int number)
{
    at_[static_cast<std::size_t>(number) - 1] = written_ + buffer_.size();
    write(std::to_string(number));
    write(" 0 obj\n");
}

void PdfWriter::object(int number, std::string_view body)
{
    begin(number);
    write(body);
    write("\nendobj\n");
}

void PdfWriter::stream(int number, std::string_view dictionary, std::string_view data)
{
    z_stream* z = deflater();
    deflated_.resize(compressBound(static_cast<uLong>(data.size())));
    if (z != nullptr) {
        z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data())); // only read
        z->avail_in = static_cast<uInt>(data.size());
        z->next_out = reinterpret_cast<Bytef*>(deflated_.data());
        z->avail_out = static_cast<uInt>(deflated_.size());
    }
    if (z == nullptr || deflate(z, Z_FINISH) != Z_STREAM_END)
        throw PageError("cannot compress the page");
    const std::size_t size = z->total_out;
    std::string head = "<< ";
    head += dictionary;
    head += " /Filter /FlateDecode /Length " + std::to_string(size) + " >>\nstream\n";
    begin(number);
    write(head);
    write({deflated_.data(), size});
    write("\nendstream\nendobj\n");
}

void PdfWriter::finish(int catalog, int info)
{
    const std::uint64_t xref = written_ + buffer_.size();
    write("xref\n0 " + std::to_string(at_.size() + 1) + "\n0000000000 65535 f \n");
    char entry[24];
    for (const std::uint64_t offset : at_) {
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(offset));
        write(entry);
    }
    write("trailer\n<< /Size " + std::to_string(at_.size() + 1) + " /Root " +
          std::to_string(catalog) + " 0 R /Info " + std::to_string(info) + " 0 R >>\nstartxref\n" +
          std::to_string(xref) + "\n%%EOF\n");
    flush();
}

void PdfWriter::write(std::string_view bytes)
{
    buffer_ += bytes;
    if (buffer_.size() >= flushAt) flush();
}

void PdfWriter::flush()
{
    if (buffer_.empty()) return;
    if (!sink_(reinterpret_cast<const unsigned char*>(buffer_.data()), buffer_.size()))
        throw PageError("cannot write the sheet");
    written_ += buffer_.size();
    buffer_.clear();
}

} // namespace tallux
