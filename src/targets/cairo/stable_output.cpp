#include "targets/cairo/stable_output.h"

#include <cstdlib>
#include <string_view>

namespace tallux {

std::optional<std::time_t> sourceDateEpoch()
{
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') return std::nullopt;
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || seconds < 0) return std::nullopt;
    return static_cast<std::time_t>(seconds);
}

std::string utcText(std::time_t t, const char* format)
{
    std::tm utc{};
    if (::gmtime_r(&t, &utc) == nullptr) return {};
    char text[32];
    return {text, std::strftime(text, sizeof text, format, &utc)};
}

void setReproducibleDate(std::string& postScript)
{
    const auto t = sourceDateEpoch();
    if (!t) return;
    constexpr std::string_view key = "\n%%CreationDate: ";
    const std::size_t header = postScript.find("\n%%EndComments");
    const std::size_t at = postScript.rfind(key, header);
    if (header == std::string::npos || at == std::string::npos) return;
    const std::size_t from = at + key.size(), to = postScript.find('\n', from);
    if (const std::string date = utcText(*t, "%a %b %e %H:%M:%S %Y"); !date.empty())
        postScript.replace(from, to - from, date);
}

} // namespace tallux
