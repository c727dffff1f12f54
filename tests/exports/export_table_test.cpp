// The shared library exports exactly the names of the export list, and every one
// of them resolves.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

std::set<std::string> listedExports() {
    std::set<std::string> names;
    std::ifstream list(DROVANE_EXPORTS_LIST);
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line[0] != '#') names.insert(line);
    }
    return names;
}

// Defined dynamic symbols of the shared library, as nm reports them.
std::set<std::string> definedDynamicSymbols() {
    std::set<std::string> names;
    const std::string command = std::string("nm -D --defined-only ") + DROVANE_SHARED_LIBRARY;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const auto space = text.rfind(' ');
        const char kind = space != std::string::npos && space >= 1 ? text[space - 1] : '?';
        // Functions and data; the version node and linker symbols are not exports.
        if (kind == 'T' || kind == 'D' || kind == 'B' || kind == 'W') names.insert(text.substr(space + 1));
    }
    pclose(pipe);
    return names;
}

}  // namespace

TEST(ExportTable, EveryListedNameResolves) {
    void* library = dlopen(DROVANE_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto names = listedExports();
    EXPECT_GT(names.size(), 100u);
    for (const auto& name : names) EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
    dlclose(library);
}

TEST(ExportTable, NothingElseIsExported) {
    const auto listed = listedExports();
    const auto exported = definedDynamicSymbols();
    ASSERT_FALSE(exported.empty());
    std::set<std::string> extra;
    std::set_difference(exported.begin(), exported.end(), listed.begin(), listed.end(),
                        std::inserter(extra, extra.begin()));
    for (const auto& name : extra) ADD_FAILURE() << "unexpected export " << name;
}
