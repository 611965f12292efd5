#include <cmath>
#include <optional>
#include <string>

#include "output.h"
#include "output_file.h"
#include "pages/display_list.h"
#include "tallux/page.h"
#include "tallux/tallux.h"

namespace tallux::cli {

namespace {

FileFormat formatOf(TargetKind kind)
{
    switch (kind) {
    case TargetKind::Svg: return FileFormat::Svg;
    case TargetKind::Pdf: return FileFormat::Pdf;
    case TargetKind::Ps: return FileFormat::Ps;
    case TargetKind::Eps: return FileFormat::Eps;
    default: return FileFormat::Png;
    }
}

// What the request draws, recorded without touching the caller's
// variables; nothing when the method does not draw the whole symbol.
std::optional<DrawnRegion> measure(const DrawRequest& request)
{
    PageTarget page(formatOf(request.target), request.page.scale);
    DrawParams copy = request.params;
    copy.pObject = &page;
    try {
        if (Tallux().draw(request.method.type, copy) == 0) return page.list().drawn;
    } catch (const RuntimeError&) {
    }
    return std::nullopt;
}

// The drawing is kept as it is made; the page is laid out around it and
// written when finished.
class ImageOutput : public Output {
public:
    explicit ImageOutput(const DrawRequest& r)
        : page_(makePage(r))
    {
    }
    Target& target() override { return page_.target(); }
    std::string bytes() override
    {
        try {
            return page_.finish();
        } catch (const PageError& e) {
            throw OutputError(e.what());
        }
    }

private:
    static FilePage makePage(const DrawRequest& r)
    {
        try {
            return FilePage(formatOf(r.target), r.page);
        } catch (const PageError& e) {
            throw OutputError(e.what());
        }
    }
    FilePage page_;
};

std::string whole(double v)
{
    return std::to_string(std::lround(v));
}

} // namespace

std::optional<std::string> pageTooSmall(const DrawRequest& request)
{
    const PageOptions& page = request.page;
    if (!page.width && !page.height) return std::nullopt;
    const auto measured = measure(request);
    if (!measured || measured->empty) return std::nullopt;
    const DrawnRegion& drawn = *measured;
    const bool cut = drawn.left < 0 || drawn.top < 0 || (page.width && drawn.right > *page.width) ||
                     (page.height && drawn.bottom > *page.height);
    if (!cut) return std::nullopt;
    return "the page (--size) cuts the symbol, which reaches from " + whole(drawn.left) + "," +
           whole(drawn.top) + " to " + whole(drawn.right) + "," + whole(drawn.bottom);
}

std::unique_ptr<Output> makeImageOutput(const DrawRequest& request)
{
    return std::make_unique<ImageOutput>(request);
}

} // namespace tallux::cli
