#include "arguments.h"

#include <algorithm>
#include <charconv>

namespace cli {

Arguments::Arguments(const std::vector<std::string>& words, const std::vector<std::string>& valueOptions,
                     const std::vector<std::string>& flagOptions) {
    auto listed = [](const std::vector<std::string>& list, const std::string& word) {
        return std::find(list.begin(), list.end(), word) != list.end();
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (listed(valueOptions, word)) {
            if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
            values_[word] = words[++i];
        } else if (listed(flagOptions, word)) {
            values_[word] = "1";
        } else if (word.size() > 1 && word[0] == '-') {
            throw UsageError("unknown option " + word);
        } else {
            positional_.push_back(word);
        }
    }
}

std::string Arguments::text(const std::string& option, const std::string& fallback) const {
    const auto it = values_.find(option);
    return it == values_.end() ? fallback : it->second;
}

int Arguments::integer(const std::string& option, int fallback, int minimum, int maximum) const {
    const auto it = values_.find(option);
    return it == values_.end() ? fallback : parseInteger(option, it->second, minimum, maximum);
}

int parseInteger(const std::string& option, const std::string& word, int minimum, int maximum) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size())
        throw UsageError(option + " wants a whole number, not '" + word + "'");
    if (value < minimum || value > maximum)
        throw UsageError(option + " must lie in " + std::to_string(minimum) + ".." + std::to_string(maximum));
    return value;
}

std::vector<int> parseIntegers(const std::string& option, const std::string& text, char separator, size_t count,
                               int minimum, int maximum, const std::string& form) {
    std::vector<int> values;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        values.push_back(parseInteger(option, text.substr(start, end - start), minimum, maximum));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (values.size() != count) throw UsageError(option + " wants " + form);
    return values;
}

}  // namespace cli
