#include "core/Text.h"

namespace kestrune {

namespace {

// Calls `visit(i)` for each character start i (0-based) from the beginning; stops when it
// returns true and gives that index, else text.size().
template <typename Visit>
std::size_t FirstCharWhere(std::string_view text, std::size_t from, Visit visit) {
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
        if (i >= from && visit(i)) {
            return i;
        }
    }
    return text.size();
}

bool MatchesAt(std::string_view text, std::size_t i, std::string_view what) {
    return text.substr(i, what.size()) == what;
}

}  // namespace

int FindText(std::string_view text, std::string_view what, int start) {
    if (what.empty() || what.size() > text.size()) {
        return -1;
    }
    const std::size_t from = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    // A match at a character start is a byte match too: most lines hold none at all.
    if (text.find(what, from) == std::string_view::npos) {
        return -1;
    }
    const std::size_t at =
        FirstCharWhere(text, from, [&](std::size_t i) { return MatchesAt(text, i, what); });
    return at == text.size() ? -1 : static_cast<int>(at) + 1;
}

int FindLastChar(std::string_view text, char c) {
    int last = -1;
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
        if (text[i] == c) {
            last = static_cast<int>(i) + 1;
        }
    }
    return last;
}

std::vector<std::string_view> SplitTextViews(std::string_view text, std::string_view delimiter) {
    std::vector<std::string_view> members;
    if (delimiter.empty()) {
        if (!text.empty()) {
            members.push_back(text);
        }
        return members;
    }
    std::size_t memberStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (MatchesAt(text, i, delimiter)) {
            members.push_back(text.substr(memberStart, i - memberStart));
            i += delimiter.size();
            memberStart = i;
        } else {
            i += CharLengthAt(text, i);
        }
    }
    if (memberStart < text.size()) {
        members.push_back(text.substr(memberStart));
    }
    return members;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter) {
    const std::vector<std::string_view> views = SplitTextViews(text, delimiter);
    return {views.begin(), views.end()};
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
    if (what.empty() || text.find(what) == std::string_view::npos) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (MatchesAt(text, i, what)) {
            out.append(with);
            i += what.size();
        } else {
            const std::size_t n = CharLengthAt(text, i);
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace kestrune
