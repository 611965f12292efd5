#include <optional>

#include "output.h"
#include "output_file.h"
#include "tallux/tallux.h"

namespace tallux::cli {

namespace {

FileFormat formatOf(TargetKind kind)
{
    switch (kind) {
    case TargetKind::Svg: return FileFormat::Svg;
    case TargetKind::Pdf: return FileFormat::Pdf;
    case TargetKind::Ps: return FileFormat::Ps;
    default: return FileFormat::Png;
    }
}

// What the request draws, measured without touching the caller's variables.
DrawnRegion measure(const DrawRequest& request)
{
    MeasuringTarget measuring(request.page.scale);
    DrawParams copy = request.params;
    copy.pObject = &measuring;
    try {
        Tallux().draw(request.method.type, copy);
    } catch (const RuntimeError&) {
        // The real drawing raises it again and reports it.
    }
    return measuring.drawn();
}

class ImageOutput : public Output {
public:
    explicit ImageOutput(const DrawRequest& r)
        : page_(makePage(r))
    {
    }
    Target& target() override { return page_->target(); }
    std::string bytes() override
    {
        try {
            return page_->finish();
        } catch (const PageError& e) {
            throw OutputError(e.what());
        }
    }

private:
    static std::unique_ptr<FilePage> makePage(const DrawRequest& r)
    {
        try {
            const FileFormat format = formatOf(r.target);
            if (!FilePage::needsMeasuring(format, r.page))
                return std::make_unique<FilePage>(format, r.page);
            return std::make_unique<FilePage>(format, r.page, measure(r));
        } catch (const PageError& e) {
            throw OutputError(e.what());
        }
    }
    std::unique_ptr<FilePage> page_;
};

} // namespace

std::unique_ptr<Output> makeImageOutput(const DrawRequest& request)
{
    return std::make_unique<ImageOutput>(request);
}

} // namespace tallux::cli
