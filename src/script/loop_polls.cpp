// A lexer just deep enough to find keywords: strings, long brackets and comments are
// skipped whole, so a `do` inside them is never touched. The source compiled before it
// gets here, which is why malformed tokens need no care.
#include "script/loop_polls.h"

#include <cstddef>

namespace dro::script {
namespace {

bool isIdentifierStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isIdentifierChar(unsigned char c) { return isIdentifierStart(c) || isDigit(c); }

// The level of a long bracket `[==[` starting at i, or -1 when there is none.
int longBracketLevel(std::string_view s, size_t i) {
    if (i >= s.size() || s[i] != '[') return -1;
    size_t j = i + 1;
    while (j < s.size() && s[j] == '=') ++j;
    return j < s.size() && s[j] == '[' ? static_cast<int>(j - i - 1) : -1;
}

// The end of the long bracket of the given level opened at i (past its `]==]`).
size_t skipLongBracket(std::string_view s, size_t i, int level) {
    const std::string close = "]" + std::string(static_cast<size_t>(level), '=') + "]";
    const size_t end = s.find(close, i + static_cast<size_t>(level) + 2);
    return end == std::string_view::npos ? s.size() : end + close.size();
}

size_t skipQuoted(std::string_view s, size_t i) {
    const char quote = s[i++];
    while (i < s.size() && s[i] != quote) i += s[i] == '\\' ? 2 : 1;
    return i < s.size() ? i + 1 : s.size();
}

// Numbers as LuaJIT reads them: identifier characters and dots, and a sign after the
// exponent letter (e, or p for hexadecimal).
size_t skipNumber(std::string_view s, size_t i) {
    const bool hex = i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
    const char exponent = hex ? 'p' : 'e';
    char previous = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const bool sign = (c == '+' || c == '-') && (previous | 0x20) == exponent;
        if (!isIdentifierChar(c) && c != '.' && !sign) break;
        previous = static_cast<char>(c);
        ++i;
    }
    return i;
}

// Where the text proper starts: after a byte-order mark, with a `#` line blanked.
std::string prepared(std::string_view source) {
    if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
    std::string text(source);
    if (!text.empty() && text[0] == '#') {
        const size_t eol = text.find_first_of("\r\n");
        text.erase(0, eol == std::string::npos ? text.size() : eol);
    }
    return text;
}

}  // namespace

std::string withLoopPolls(std::string_view source, std::string_view poll) {
    const std::string text = prepared(source);
    const std::string_view s = text;
    const std::string call = " " + std::string(poll) + "();";
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    // After `function`: 1 waits for the parameter list, 2 is inside it.
    int function = 0;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t end = i + 1;
        if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            const int level = longBracketLevel(s, i + 2);
            end = level >= 0 ? skipLongBracket(s, i + 2, level) : s.find_first_of("\r\n", i);
            if (end == std::string_view::npos) end = s.size();
        } else if (c == '[' && longBracketLevel(s, i) >= 0) {
            end = skipLongBracket(s, i, longBracketLevel(s, i));
        } else if (c == '"' || c == '\'') {
            end = skipQuoted(s, i);
        } else if (isDigit(c) || (c == '.' && i + 1 < s.size() && isDigit(static_cast<unsigned char>(s[i + 1])))) {
            end = skipNumber(s, i);
        } else if (isIdentifierStart(c)) {
            while (end < s.size() && isIdentifierChar(static_cast<unsigned char>(s[end]))) ++end;
            const std::string_view word = s.substr(i, end - i);
            if (word == "goto") out += call.substr(1) + " ";
            out += word;
            if (word == "do" || word == "repeat") out += call;
            if (word == "function") function = 1;
            i = end;
            continue;
        } else if (c == '(' && function == 1) {
            function = 2;
        } else if (c == ')' && function == 2) {
            out += ')';
            out += call;
            function = 0;
            i = end;
            continue;
        }
        out.append(s.substr(i, end - i));
        i = end;
    }
    return out;
}

std::string unusedPollName(std::string_view source) {
    std::string name = "__stop_poll";
    for (int n = 0; source.find(name) != std::string_view::npos; ++n) name = "__stop_poll" + std::to_string(n);
    return name;
}

}  // namespace dro::script
