// The one settings record and its reset.
#include "post/post_processor_settings.h"

#include <algorithm>

#include "platform/core/process_state.h"

namespace zarvento {

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

}  // namespace

bool VersionTextAtLeast(std::string_view version, std::string_view least) {
    if (AllDigits(version) && AllDigits(least)) {
        // Numbers of any length: the longer is the greater, then digit by digit.
        const std::string_view a = WithoutLeadingZeros(version);
        const std::string_view b = WithoutLeadingZeros(least);
        if (a.size() != b.size()) return a.size() > b.size();
        return a >= b;
    }
    return version >= least;
}

bool PostProcessorSettings::VersionAtLeast(std::string_view least) const { return VersionTextAtLeast(Version, least); }

PostProcessorSettings& PostProcessorSettings::Current() {
    static PostProcessorSettings settings;
    return settings;
}

ZARVENTO_STATE_RESET { PostProcessorSettings::Current() = PostProcessorSettings{}; }

}  // namespace zarvento
