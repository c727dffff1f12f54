#include "io/plugins/plugin_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "io/plugins/pe_resources.h"

namespace dro {
namespace {

PluginListState state;

// No real plug-in comes near this; anything larger is not read.
constexpr std::uintmax_t kMaxPluginBytes = 64u << 20;

bool isPluginFile(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".8bf";
}

std::vector<uint8_t> readSmallFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxPluginBytes) return {};
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

PluginListState& pluginListState() noexcept { return state; }
void resetPluginListState() noexcept {
    state.records.clear();
    state.entry[0] = '\0';
}

int32_t scanPhotoshopPlugins(const char* folder) {
    if (!folder) return 0;
    int32_t found = 0;
    std::error_code error;
    namespace fs = std::filesystem;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error) || !isPluginFile(it->path())) continue;
        const auto bytes = readSmallFile(it->path());
        for (const auto resource : plugins::namedTypeResources(bytes, "PIPL")) {
            const auto description = plugins::readPiPL(resource);
            if (!description) continue;
            state.records.push_front({it->path().string(), description->category, description->name});
            ++found;
        }
    }
    return found;
}

const char* nextPluginName() noexcept {
    state.entry[0] = '\0';
    if (state.records.empty()) return state.entry;
    const PluginRecord& head = state.records.front();
    std::snprintf(state.entry, sizeof state.entry, "%s :: %s :: %s", head.category.c_str(), head.name.c_str(),
                  head.path.c_str());
    state.records.pop_front();
    return state.entry;
}

}  // namespace dro
