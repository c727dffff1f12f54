// Command-line arguments: positional words and --options, with one-line errors.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// Bad arguments: the message is printed on one line and the tool exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A fault at a place in an input file: the message already reads "FILE:LINE: what" and
// is printed as it is; exit status 2.
struct FileLineError : UsageError {
    using UsageError::UsageError;
};

// A failure of the work itself (unreadable file, failed write): exit status 1.
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Arguments {
public:
    // valueOptions take the next word as their value; flagOptions stand alone. Any other
    // word starting with "--" (or "-o") is an error.
    Arguments(const std::vector<std::string>& words, const std::vector<std::string>& valueOptions,
              const std::vector<std::string>& flagOptions);

    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& option) const { return values_.count(option) != 0; }
    std::string text(const std::string& option, const std::string& fallback = "") const;
    // An integer in [minimum, maximum]; UsageError otherwise.
    int integer(const std::string& option, int fallback, int minimum, int maximum) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
};

int parseInteger(const std::string& option, const std::string& word, int minimum, int maximum);
// count whole numbers in [minimum, maximum] joined by separator, as in "640x400" or
// "255,240,200"; UsageError naming the wanted form otherwise.
std::vector<int> parseIntegers(const std::string& option, const std::string& text, char separator, size_t count,
                               int minimum, int maximum, const std::string& form);

}  // namespace cli
