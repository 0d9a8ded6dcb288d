#include "app/recent_name.h"

namespace zema {

namespace {

bool isSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

// The first `limit` units of `text`, one fewer when the cut would split a surrogate pair.
std::u16string cut(std::u16string_view text, size_t limit)
{
    if (text.size() <= limit) return std::u16string(text);
    size_t length = limit;
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
    return std::u16string(text.substr(0, length));
}

// The length of the part that stays in front of "...": "~/", a drive "C:\",
// or the leading separators of an absolute path.
size_t rootLength(std::u16string_view text)
{
    if (text.size() >= 2 && text[0] == u'~' && isSeparator(text[1])) return 2;
    if (text.size() >= 2 && text[1] == u':' &&
        ((text[0] >= u'A' && text[0] <= u'Z') || (text[0] >= u'a' && text[0] <= u'z'))) {
        return text.size() >= 3 && isSeparator(text[2]) ? 3 : 2;
    }
    size_t length = 0;
    while (length < text.size() && isSeparator(text[length])) ++length;
    return length;
}

}  // namespace

std::u16string shortenedRecentName(std::u16string_view path, size_t limit, std::u16string_view home)
{
    std::u16string text(path);
    while (!home.empty() && isSeparator(home.back())) home.remove_suffix(1);
    if (!home.empty() && path.size() > home.size() && path.substr(0, home.size()) == home &&
        isSeparator(path[home.size()])) {
        text = u"~" + std::u16string(path.substr(home.size()));
    }
    if (text.size() <= limit) return text;

    const size_t root = rootLength(text);
    size_t lastSeparator = text.size();
    while (lastSeparator > root && !isSeparator(text[lastSeparator - 1])) --lastSeparator;
    // text[lastSeparator..] is the file name; text[root..lastSeparator) the folders.
    const std::u16string_view name = std::u16string_view(text).substr(lastSeparator);
    if (name.size() > limit) return cut(name, limit);

    // Drop the leading folders one at a time: the first tail that fits is the longest.
    const std::u16string_view prefix = std::u16string_view(text).substr(0, root);
    for (size_t pos = root; pos < lastSeparator; ++pos) {
        if (!isSeparator(text[pos])) continue;
        const std::u16string_view tail = std::u16string_view(text).substr(pos);
        if (prefix.size() + 3 + tail.size() <= limit) return std::u16string(prefix) + u"..." + std::u16string(tail);
    }
    return std::u16string(name);
}

}  // namespace zema
