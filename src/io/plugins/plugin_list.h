// Discovery of image-filter plug-ins in the Photoshop format (.8bf files) and the list
// the host reads their names from.
#pragma once

#include <cstdint>
#include <forward_list>
#include <string>

namespace dro {

// The three texts of one plug-in, in the order the scan hands them over.
struct PluginRecord {
    std::string path;      // first: the plug-in's file
    std::string category;  // second
    std::string name;      // third
};

struct PluginListState {
    std::forward_list<PluginRecord> records;  // newest first
    char entry[1024] = {};                    // the text DRO_PhotoshopPluginNextName returns
};

PluginListState& pluginListState() noexcept;
void resetPluginListState() noexcept;

// Walks folder and its subfolders for .8bf files (any case) and puts every one whose
// PiPL names it at the head of the list; unreadable, corrupt or truncated files are
// skipped. Returns the number found.
int32_t scanPhotoshopPlugins(const char* folder);

// Formats the head record as "category :: name :: path" (cut to fit), removes it
// and returns the text; an empty text when the list is empty.
const char* nextPluginName() noexcept;

}  // namespace dro
