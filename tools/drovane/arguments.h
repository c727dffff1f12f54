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

}  // namespace cli
